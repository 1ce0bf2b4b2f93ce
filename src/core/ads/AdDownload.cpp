#include "ads/AdDownload.h"

#include "platform/ProgramFolder.h"
#include "platform/WholeFile.h"
#include "service/HttpRequest.h"
#include "service/RequestCore.h"

#include <QDir>

namespace AdDownload {

QString AddressFor(const QString& adServer, const Archive& archive, const QString& uuid) {
    RequestCore::ServerAddress server;
    if (RequestCore::readServerAddress(adServer, server) != RequestCore::AddressProblem::None) {
        return {};
    }
    // The advertisement server always listens on its own port.
    server.scheme = QStringLiteral("http");
    server.port = kPort;
    return RequestCore::buildUrl(
        server, QStringLiteral("pcad.action?adkey=%1&uuid=%2")
                    .arg(QLatin1String(archive.key), RequestCore::encodeQueryValue(uuid)));
}

Fetch FetchArchive(const QString& programFolder, const QString& adServer, const Archive& archive,
                   const QString& uuid) {
    Fetch fetch;
    fetch.address = AddressFor(adServer, archive, uuid);
    if (fetch.address.isEmpty()) {
        return fetch;
    }
    HttpRequest::Options options;
    options.connectTimeoutMs = archive.connectTimeoutMs;
    options.connectAttempts = 2;
    options.idleTimeoutMs = 5000;
    options.totalTimeoutMs = 120000;
    options.maxBody = kMaxArchiveBytes;
    // An advertisement server may hand the archive to another host, as a browser would follow.
    options.maxRedirects = 5;
    const HttpRequest::Response response = HttpRequest::get(fetch.address, options);
    fetch.status = response.status;
    if (response.failure != HttpRequest::Failure::None || response.status != 200) {
        return fetch;
    }
    // A fresh installation may have no folder for the advertisements yet.
    const QString folder = ProgramFolder::file(programFolder, QStringLiteral("Advertise"));
    if (!QDir().mkpath(folder)) {
        return fetch;
    }
    // The zip file is replaced only by a whole archive.
    const QString zipPath =
        QDir(folder).filePath(QLatin1String(archive.name) + QStringLiteral(".zip"));
    if (!WholeFile::replace(zipPath, response.body)) {
        return fetch;
    }
    fetch.stored = true;
    fetch.unpacked =
        AdArchive::UnpackArchive(zipPath, QDir(folder).filePath(QLatin1String(archive.name)),
                                 [&fetch](const QString& name, AdArchive::Error outcome) {
                                     fetch.entries.append({name, outcome});
                                 });
    return fetch;
}

int FetchAll(const QString& programFolder, const QString& adServer, const QString& uuid,
             std::vector<Fetch>* fetched) {
    for (const Archive& archive : {kBanner, kPopUp}) {
        Fetch fetch = FetchArchive(programFolder, adServer, archive, uuid);
        if (fetched != nullptr) {
            fetched->push_back(std::move(fetch));
        }
    }
    return 0;
}

}  // namespace AdDownload
