#include "service/ChannelListDownload.h"

#include "platform/ProgramFolder.h"
#include "platform/WholeFile.h"
#include "service/RequestCore.h"
#include "service/ServiceConfig.h"
#include "service/ServiceState.h"

namespace ChannelListDownload {

QString filePath(const QString& programFolder) {
    return ProgramFolder::file(programFolder, kFileName);
}

QString ChannelListAddress(const ServiceConfig& config, ServiceState& state) {
    QString server = state.serverUrl();
    if (server.isEmpty()) {
        server = config.serverUrl(ServiceConfig::kServerUrlForChannelList);
        state.setServerUrl(server);
    }
    return RequestCore::addressUrl(server, config.tvProgram() + QStringLiteral("&ack=") +
                                               RequestCore::encodeQueryValue(state.uuid()) +
                                               QStringLiteral("00000001&lang=1"));
}

bool DownloadChannelList(const ServiceConfig& config, ServiceState& state,
                         const QString& programFolder) {
    HttpRequest::Options options;
    options.connectTimeoutMs = 2000;
    options.connectAttempts = 1;
    options.totalTimeoutMs = 120000;
    options.maxBody = kMaxChannelListBytes;
    const QString address = ChannelListAddress(config, state);
    if (address.isEmpty()) {
        return false;  // no usable server address: nothing is asked
    }
    const HttpRequest::Response response = HttpRequest::get(address, options);
    // An error page is not a channel list, and a reply cut short is not the whole list.
    if (response.failure != HttpRequest::Failure::None || response.status < 200 ||
        response.status > 299) {
        return false;
    }
    if (response.body.count('\0') == response.body.size()) {
        return false;  // empty, or nothing but zero bytes
    }
    return WholeFile::replace(filePath(programFolder), response.body);
}

}  // namespace ChannelListDownload
