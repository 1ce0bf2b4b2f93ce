#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// Unpacking the advertisement archives: zip files read with minizip, their entries written under
// a base folder by the program's own rules for names, attributes and times.
//
// Nothing an archive holds can land outside its base folder: names are cleaned of drive
// prefixes, leading separators and parent steps, stored links are never made, and a link found
// inside the folder is never followed out of it. An entry is written to a file of its own beside
// its target and put in place only once its data checked out whole, so a damaged archive never
// leaves half a file where a good one was. An archive is refused past 4,096 entries, and
// unpacking stops once an archive's entries have written 64 MiB.
namespace AdArchive {

inline constexpr int kMaxEntries = 4096;
inline constexpr qint64 kMaxUnpackedBytes = 64 * 1024 * 1024;
inline constexpr int kMaxNameBytes = 260;
inline constexpr int kBlockBytes = 16384;

// The file attributes an entry carries.
enum Attribute : std::uint32_t {
    kReadOnly = 0x01,
    kHidden = 0x02,
    kSystem = 0x04,
    kDirectory = 0x10,
    kArchive = 0x20,
};

enum class Error {
    None,
    Open,      // not an archive that can be read
    TooMany,   // more entries than an archive may have
    NoEntry,   // no entry with that index
    BadName,   // a name too long, or with nothing left once cleaned
    Escapes,   // a name that would lead outside the base folder
    Link,      // a stored link, or a link on the way to the target
    Folder,    // a folder could not be made
    Write,     // the file could not be written
    Damaged,   // the entry's data is corrupt (or its check sum wrong)
    Password,  // the entry is encrypted
    Limit,     // the archive has written all it may
};

// One entry as described by the archive.
struct Entry {
    int index = 0;  // for the index -1: the number of entries
    QString name;   // cleaned, relative, with '/' between its parts
    std::uint32_t attributes = 0;
    QDateTime creation;  // UTC
    QDateTime access;
    QDateTime modification;
    qint64 compressedSize = 0;
    qint64 uncompressedSize = 0;
    bool link = false;  // stored as a symbolic link
};

struct State;
// An open archive; closing it is letting it go.
struct StateDeleter {
    void operator()(State* state) const;
};
using StatePtr = std::unique_ptr<State, StateDeleter>;

// Opens the archive at PATH; none when it cannot be read or holds too many entries (LASTERROR,
// when given, says which).
StatePtr OpenArchive(const QString& path, Error* lastError = nullptr);
// The same for an archive held in DATA. The state keeps a copy that shares DATA's bytes, so bytes
// given with QByteArray::fromRawData must outlive it.
StatePtr OpenArchive(const QByteArray& data, Error* lastError = nullptr);
// Entries are written under FOLDER.
void SetBaseFolder(State& state, const QString& folder);
// Describes entry INDEX (the entry count for -1). The last description is kept, so asking for
// the same index again reads nothing.
bool GetEntry(State& state, int index, Entry& entry);
// Writes entry INDEX under the base folder as NAME (its cleaned name).
bool ExtractEntry(State& state, int index, const QString& name);
void CloseArchive(StatePtr state);
// What the last operation on STATE came to.
Error lastError(const State& state);
// A few words on ERROR, for people reading a log.
QString describe(Error error);

// A stored name cleaned for writing under a base folder: drive prefixes, leading separators and
// everything up to a parent step between separators dropped, again and again; then '\' counted
// as a separator and any remaining "." or ".." part dropped; all of it again until nothing
// changes. Empty when nothing is left.
QString CleanName(const QString& stored);

// Unpacks the archive at ZIPPATH into FOLDER, every entry it can; false when it cannot be
// opened. REPORT, when given, hears of each entry: its cleaned name and what became of it.
bool UnpackArchive(const QString& zipPath, const QString& folder,
                   const std::function<void(const QString& name, Error outcome)>& report = {});
// The same for an archive held in DATA.
bool UnpackArchive(const QByteArray& data, const QString& folder,
                   const std::function<void(const QString& name, Error outcome)>& report = {});

}  // namespace AdArchive
