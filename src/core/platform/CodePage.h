#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The program keeps its text in UTF-16. Files, the cipher's plain text, the service's reply bytes
// and host names travel as bytes in the system code page, which on this platform is UTF-8. Every
// such conversion goes through this pair, so the rule has one place.
namespace CodePage {

// UTF-16 text to bytes of the system code page.
QByteArray toAnsi(const QString& text);

// Bytes of the system code page to UTF-16 text; invalid sequences become U+FFFD.
QString fromAnsi(QByteArrayView bytes);

}  // namespace CodePage
