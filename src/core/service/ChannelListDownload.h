#pragma once

#include <QString>

class ServiceConfig;
class ServiceState;

namespace ChannelListDownload {

// The downloaded list's file in the program folder.
inline const QString kFileName = QStringLiteral("tvchannel.xml");
QString filePath(const QString& programFolder);

// Longest channel list accepted.
inline constexpr qsizetype kMaxChannelListBytes = 32 * 1024 * 1024;

// The address of the channel list for the session identity in STATE; empty when the server
// address is unusable.
QString ChannelListAddress(const ServiceConfig& config, ServiceState& state);

// Fetches the channel list with the session identity and stores it byte for byte as
// tvchannel.xml in PROGRAMFOLDER. The file is replaced whole, so a failed download leaves the
// previous list as it was. False, with nothing written, when no list arrived.
bool DownloadChannelList(const ServiceConfig& config, ServiceState& state,
                         const QString& programFolder);

}  // namespace ChannelListDownload
