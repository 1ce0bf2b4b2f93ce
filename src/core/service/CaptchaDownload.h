#pragma once

#include <QByteArray>
#include <QString>

// The captcha picture of the account forms: fetched from the web server and kept as
// skin/auth.bmp in the program folder. Several fetches may be under way at once (each press on
// the picture starts one); each writes a file of its own and puts it in place whole, and a fetch
// that finishes after a later one has put its picture there leaves the later one in place.
namespace CaptchaDownload {

// A picture larger than this is not a captcha and is refused.
inline constexpr qsizetype kMaxImageBytes = 1024 * 1024;
// A web server may send the picture from elsewhere, as a browser would follow it.
inline constexpr int kMaxRedirects = 5;

struct Result {
    bool ok = false;      // the picture arrived whole
    bool stored = false;  // it is the one now in the file (a later fetch's may be instead, or
                          // the file could not be written)
    QByteArray image;     // what the server sent, when OK
};

// Where the program keeps the captcha: skin/auth.bmp in PROGRAMFOLDER.
QString imagePath(const QString& programFolder);

// A number for a fetch about to start; every later call gives a larger one.
quint64 nextTicket();

// Fetches the captcha ("/authcode.jsp") of the service at SERVERURL into FILEPATH. TICKET orders
// the fetches: the file is replaced only when no fetch with a later ticket has replaced it already.
Result Download(const QString& serverUrl, const QString& filePath, quint64 ticket);

}  // namespace CaptchaDownload
