#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <mutex>

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

// The order of one run's fetches: numbers for the fetches, and for each file the number of the
// fetch whose picture it holds, so that an older fetch never puts its picture over a newer one.
// The application context owns one, shared with the fetches still running; safe from any thread.
class Tickets {
public:
    // A number for a fetch about to start; every later call gives a larger one.
    quint64 next() { return ++m_issued; }
    // Replaces the file at PATH with BYTES, whole, unless a fetch with a later ticket than TICKET
    // has replaced it already. False when it did not.
    bool place(const QString& path, const QByteArray& bytes, quint64 ticket);

private:
    std::atomic<quint64> m_issued{0};
    std::mutex m_placedMutex;
    QHash<QString, quint64> m_placed;  // guarded by m_placedMutex
};

// Fetches the captcha ("/authcode.jsp") of the service at SERVERURL into FILEPATH. TICKET, from
// TICKETS, orders the fetches: the file is replaced only when no fetch with a later ticket has
// replaced it already.
Result Download(const QString& serverUrl, const QString& filePath, Tickets& tickets,
                quint64 ticket);

}  // namespace CaptchaDownload
