#include "service/CaptchaDownload.h"

#include "platform/WholeFile.h"
#include "service/RequestCore.h"

#include <QDir>
#include <QFileInfo>

namespace CaptchaDownload {

namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr int kTotalTimeoutMs = 15000;

}  // namespace

QString imagePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("skin/auth.bmp"));
}

bool Tickets::place(const QString& path, const QByteArray& bytes, quint64 ticket) {
    // The picture takes the file's place whole, in one step, so a reader never sees half a
    // picture or two mixed, and a full disk leaves the one before.
    const std::lock_guard lock(m_placedMutex);
    quint64& placed = m_placed[path];
    if (placed > ticket || !WholeFile::replace(path, bytes)) {
        return false;
    }
    placed = ticket;
    return true;
}

Result Download(const QString& serverUrl, const QString& filePath, Tickets& tickets,
                quint64 ticket) {
    Result result;
    HttpRequest::Options options;
    options.connectTimeoutMs = kConnectTimeoutMs;
    options.totalTimeoutMs = kTotalTimeoutMs;
    options.maxBody = kMaxImageBytes;
    options.maxRedirects = kMaxRedirects;
    const HttpRequest::Response response =
        RequestCore::openAddress(serverUrl, QStringLiteral("/authcode.jsp"), options);
    // Only a whole picture the server meant to send is kept: an error page or a reply that broke
    // off would stand where the user looks for the code.
    if (response.failure != HttpRequest::Failure::None || response.status != 200) {
        return result;
    }

    // The picture is there whether or not it can be kept: a program folder the user cannot write
    // still shows it.
    result.ok = true;
    result.image = response.body;
    const QFileInfo target(filePath);
    if (!QDir().mkpath(target.absolutePath())) {
        return result;
    }
    result.stored = tickets.place(target.absoluteFilePath(), response.body, ticket);
    return result;
}

}  // namespace CaptchaDownload
