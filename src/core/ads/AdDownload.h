#pragma once

#include "ads/AdArchive.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <vector>

// The advertisement archives: the banner set and the pop-up set, fetched from the service's
// advertisement server once per start, stored in the program folder's "Advertise" folder and
// unpacked beside their zip files. It blocks: it belongs beside the windows, never in them.
namespace AdDownload {

inline constexpr std::uint16_t kPort = 7006;
inline constexpr qsizetype kMaxArchiveBytes = 32 * 1024 * 1024;

struct Archive {
    const char* key;
    const char* name;  // of the zip file and of its folder
    int connectTimeoutMs;
};
inline constexpr Archive kBanner{"VELO_BOTTOM_AD_JP_F", "Fix", 500};
inline constexpr Archive kPopUp{"VELO_REAR_AD_JP_F", "Pop", 5000};

// What one archive's fetch came to.
struct Fetch {
    QString address;      // as asked; empty when the server's host is unusable
    long status = 0;      // 0 when no reply arrived
    bool stored = false;  // the whole archive arrived and replaced the zip file
    bool unpacked = false;
    QList<QPair<QString, AdArchive::Error>> entries;
};

// The address of ARCHIVE on the advertisement server ADSERVER for the session identity UUID.
QString AddressFor(const QString& adServer, const Archive& archive, const QString& uuid);

// Fetches ARCHIVE into PROGRAMFOLDER/Advertise and unpacks it there. A reply other than a whole
// 200 leaves the zip file and its folder as they were.
Fetch FetchArchive(const QString& programFolder, const QString& adServer, const Archive& archive,
                   const QString& uuid);

// Both archives, the banner first. FETCHED, when given, receives what each came to.
int FetchAll(const QString& programFolder, const QString& adServer, const QString& uuid,
             std::vector<Fetch>* fetched = nullptr);

}  // namespace AdDownload
