#pragma once

#include <QByteArray>
#include <QString>

// The one way the client replaces a file of the user's: all of the new text or none of it.
namespace WholeFile {

// Replaces the file at PATH by CONTENT atomically. False, with the file as it was, when CONTENT
// could not be stored whole: a full disk, a size limit, a folder that cannot be written.
bool replace(const QString& path, const QByteArray& content);

}  // namespace WholeFile
