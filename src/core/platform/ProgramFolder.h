#pragma once

#include <QString>

// The folder that holds the running executable and every file the program keeps beside it.
namespace ProgramFolder {

// Absolute folder of the running executable, without a trailing separator.
QString path();

// Joins the folder with a file name written as "\confignew.ini" or "skin/UL_N.bmp": backslashes
// are path separators and a leading separator is optional.
QString file(const QString& folder, const QString& name);

// Where the program keeps what it writes beside itself when installed in INSTALLED: that folder
// when the user may write it, otherwise the user's own program folder ("velo/program" in the
// user's data location), made when missing. A folder that cannot be made leaves INSTALLED.
QString dataFolder(const QString& installed);

// FOLDER is there and a file can be made in it: tried, since permissions alone do not tell a
// read-only mount or a folder owned by another user apart from one of root's.
bool isWritable(const QString& folder);

// NAME in DATA when it is there, otherwise in INSTALLED: the user's copy of a file first, the
// installed one for what the user has none of.
QString readable(const QString& data, const QString& installed, const QString& name);

}  // namespace ProgramFolder
