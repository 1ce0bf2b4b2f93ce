#include "ads/AdArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ioapi.h>
#include <unzip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace AdArchive {

// An archive held in memory, as minizip reads it: its bytes and where reading stands.
struct MemoryStream {
    QByteArray data;
    std::int64_t at = 0;
};

struct State {
    unzFile archive = nullptr;
    MemoryStream memory;  // the archive's bytes, when it is read from memory
    QString base;
    // Made once an archive first needs them, and kept for its other entries.
    std::vector<char> buffer;          // an entry's data on its way to the file
    std::vector<unsigned char> extra;  // an entry's extra field, as much as there can be
    int count = 0;
    int current = -1;  // the entry minizip stands on; -1 before the first
    int described = -2;
    Entry entry;
    bool storedAsFolder = false;
    Error lastError = Error::None;
    qint64 written = 0;  // by all entries of this archive so far

    ~State() {
        if (archive != nullptr) {
            unzClose(archive);
        }
    }
};

namespace {

bool windowsHost(unsigned host) {
    return host == 0 || host == 7 || host == 11 || host == 14;
}

std::uint32_t readLittle(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

// The Unix times of a "UT" block in EXTRA, each replacing its time when present.
void applyUnixTimes(const unsigned char* extra, qsizetype size, Entry& entry) {
    qsizetype at = 0;
    while (at + 4 <= size) {
        const std::uint32_t id = readLittle(extra + at, 2);
        const auto length = static_cast<qsizetype>(readLittle(extra + at + 2, 2));
        const unsigned char* data = extra + at + 4;
        if (at + 4 + length > size) {
            return;
        }
        if (id == 0x5455 && length >= 1) {
            const unsigned flags = data[0];
            qsizetype offset = 1;
            QDateTime* times[3] = {&entry.modification, &entry.access, &entry.creation};
            for (int i = 0; i < 3; ++i) {
                if ((flags & (1u << i)) == 0) {
                    continue;
                }
                if (offset + 4 > length) {
                    break;  // a directory record often carries the first time only
                }
                const auto seconds = static_cast<std::int32_t>(readLittle(data + offset, 4));
                *times[i] = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
                offset += 4;
            }
            return;
        }
        at += 4 + length;
    }
}

bool goTo(State& state, int index) {
    if (index < 0 || index >= state.count) {
        return false;
    }
    if (state.current < 0 || index < state.current) {
        if (unzGoToFirstFile(state.archive) != UNZ_OK) {
            return false;
        }
        state.current = 0;
    }
    while (state.current < index) {
        if (unzGoToNextFile(state.archive) != UNZ_OK) {
            state.current = -1;
            return false;
        }
        ++state.current;
    }
    return true;
}

QString joined(const QString& base, const QString& relative) {
    return base.endsWith(QLatin1Char('/')) ? base + relative : base + QLatin1Char('/') + relative;
}

// Creates each missing folder of RELATIVE under BASE, level by level. A level that is a link is
// never passed through: it might lead anywhere.
Error makeFolders(const QString& base, const QString& relative) {
    if (!QDir().mkpath(base)) {
        return Error::Folder;
    }
    QString path = base;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = joined(path, part);
        const QByteArray native = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0) {
            if (S_ISLNK(info.st_mode)) {
                return Error::Link;
            }
            if (!S_ISDIR(info.st_mode)) {
                return Error::Folder;
            }
            continue;
        }
        if (::mkdir(native.constData(), 0755) != 0 && errno != EEXIST) {
            return Error::Folder;
        }
    }
    return Error::None;
}

timespec timeOf(const QDateTime& when) {
    timespec stamp{};
    if (when.isValid()) {
        const qint64 ms = when.toMSecsSinceEpoch();
        stamp.tv_sec = static_cast<time_t>(ms / 1000);
        stamp.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
    } else {
        stamp.tv_nsec = UTIME_OMIT;
    }
    return stamp;
}

// One pass of the rules CleanName gives.
QString cleanOnce(const QString& stored) {
    QString name = stored;
    static const QString kSteps[] = {QStringLiteral("\\..\\"), QStringLiteral("\\../"),
                                     QStringLiteral("/../"), QStringLiteral("/..\\")};
    for (bool changed = true; changed;) {
        changed = false;
        if (name.size() >= 2 && name[1] == QLatin1Char(':')) {
            name.remove(0, 2);
            changed = true;
            continue;
        }
        if (name.startsWith(QLatin1Char('\\')) || name.startsWith(QLatin1Char('/'))) {
            name.remove(0, 1);
            changed = true;
            continue;
        }
        for (const QString& step : kSteps) {
            const qsizetype at = name.indexOf(step);
            if (at >= 0) {
                name.remove(0, at + step.size());
                changed = true;
                break;
            }
        }
    }
    // What those rules leave, "..\x" or "a/../../x" among it, must still not climb out: every
    // part that is "." or ".." goes, and so do empty parts.
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String(".") && part != QLatin1String("..")) {
            parts.append(part);
        }
    }
    return parts.join(QLatin1Char('/'));
}

}  // namespace

QString CleanName(const QString& stored) {
    // Dropping "." parts can bring a drive prefix to the front ("./c:/x"), so the rules run again
    // until the name stays as it is: the name an entry is reported by is the one it is written
    // under, which ExtractEntry cleans once more.
    QString name = cleanOnce(stored);
    for (QString again = cleanOnce(name); again != name; again = cleanOnce(name)) {
        name = again;
    }
    return name;
}

namespace {

// minizip calls the memory functions for nearly every byte it reads. In a fuzzing build their
// own branches, which say nothing about the archive, are left out of the coverage: counted, they
// took two fifths of each input's time.
#if defined(__clang__)
#define UNCOUNTED __attribute__((no_sanitize("coverage")))
#else
#define UNCOUNTED
#endif

// minizip's file functions over a MemoryStream, with the meaning its file functions give them:
// a seek may go past the end (reads there find nothing), never before the start.
voidpf openMemory(voidpf opaque, const void*, int mode) {
    return (mode & ZLIB_FILEFUNC_MODE_WRITE) != 0 ? nullptr : opaque;
}

UNCOUNTED uLong readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto& memory = *static_cast<MemoryStream*>(stream);
    const std::int64_t end = memory.data.size();
    if (memory.at >= end) {
        return 0;
    }
    const auto left = static_cast<uLong>(end - memory.at);
    const uLong count = size < left ? size : left;
    std::memcpy(buffer, memory.data.constData() + memory.at, count);
    memory.at += static_cast<std::int64_t>(count);
    return count;
}

uLong writeMemory(voidpf, voidpf, const void*, uLong) {
    return 0;
}

UNCOUNTED ZPOS64_T tellMemory(voidpf, voidpf stream) {
    return static_cast<ZPOS64_T>(static_cast<MemoryStream*>(stream)->at);
}

UNCOUNTED long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto& memory = *static_cast<MemoryStream*>(stream);
    std::int64_t from = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            from = memory.at;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            from = memory.data.size();
            break;
        default:
            return -1;
    }
    // The offset is a signed one, as fseeko takes it.
    const auto step = static_cast<std::int64_t>(offset);
    if (step < 0 ? from + step < 0 : from > std::numeric_limits<std::int64_t>::max() - step) {
        return -1;
    }
    memory.at = from + step;
    return 0;
}

int closeMemory(voidpf, voidpf) {
    return 0;
}

UNCOUNTED int errorMemory(voidpf, voidpf) {
    return 0;
}

// STATE, its archive just opened, when that archive can be walked; none when it cannot be read
// or holds too many entries.
StatePtr opened(StatePtr state, Error* lastError) {
    unz_global_info64 info{};
    Error error = Error::None;
    if (state->archive == nullptr || unzGetGlobalInfo64(state->archive, &info) != UNZ_OK) {
        error = Error::Open;
    } else if (info.number_entry > static_cast<ZPOS64_T>(kMaxEntries)) {
        error = Error::TooMany;
    }
    if (lastError != nullptr) {
        *lastError = error;
    }
    if (error != Error::None) {
        return nullptr;
    }
    state->count = static_cast<int>(info.number_entry);
    return state;
}

bool unpack(StatePtr state, const QString& folder,
            const std::function<void(const QString& name, Error outcome)>& report) {
    if (!state) {
        return false;
    }
    SetBaseFolder(*state, folder);
    Entry count;
    GetEntry(*state, -1, count);
    for (int i = 0; i < count.index; ++i) {
        Entry entry;
        GetEntry(*state, i, entry);
        // A single entry that fails does not stop the others.
        ExtractEntry(*state, i, entry.name);
        if (report) {
            report(entry.name, lastError(*state));
        }
    }
    CloseArchive(std::move(state));
    return true;
}

}  // namespace

StatePtr OpenArchive(const QString& path, Error* lastError) {
    StatePtr state(new State);
    state->archive = unzOpen64(QFile::encodeName(path).constData());
    return opened(std::move(state), lastError);
}

StatePtr OpenArchive(const QByteArray& data, Error* lastError) {
    StatePtr state(new State);
    state->memory.data = data;
    zlib_filefunc64_def functions{openMemory, readMemory,  writeMemory, tellMemory,
                                  seekMemory, closeMemory, errorMemory, &state->memory};
    state->archive = unzOpen2_64("", &functions);
    return opened(std::move(state), lastError);
}

void SetBaseFolder(State& state, const QString& folder) {
    state.base = folder;
    if (!state.base.endsWith(QLatin1Char('/')) && !state.base.endsWith(QLatin1Char('\\'))) {
        state.base += QLatin1Char('/');
    }
    state.lastError = Error::None;
}

bool GetEntry(State& state, int index, Entry& entry) {
    if (index == -1) {
        entry = Entry();
        entry.index = state.count;
        state.lastError = Error::None;
        return true;
    }
    if (index == state.described) {
        entry = state.entry;
        return state.lastError == Error::None;
    }
    state.described = -2;
    if (!goTo(state, index)) {
        state.lastError = Error::NoEntry;
        return false;
    }
    unz_file_info64 info{};
    // minizip terminates the name only when it is shorter than the buffer it is given, so it is
    // given one byte less than there is: the last stays the terminator whatever the archive says.
    char name[kMaxNameBytes + 1] = {};
    std::vector<unsigned char>& extra = state.extra;
    extra.resize(65536);
    if (unzGetCurrentFileInfo64(state.archive, &info, name, kMaxNameBytes, extra.data(),
                                static_cast<uLong>(extra.size()), nullptr, 0) != UNZ_OK) {
        state.lastError = Error::Damaged;
        return false;
    }
    Entry described;
    described.index = index;
    described.compressedSize = static_cast<qint64>(info.compressed_size);
    described.uncompressedSize = static_cast<qint64>(info.uncompressed_size);
    const QString stored =
        QString::fromUtf8(name, static_cast<qsizetype>(strnlen(name, sizeof name)));
    described.name = CleanName(stored);
    state.storedAsFolder = stored.endsWith(QLatin1Char('/')) || stored.endsWith(QLatin1Char('\\'));

    const unsigned host = static_cast<unsigned>((info.version >> 8) & 0xFF);
    const std::uint32_t external = static_cast<std::uint32_t>(info.external_fa);
    if (windowsHost(host)) {
        described.attributes = external & (kReadOnly | kHidden | kSystem | kDirectory | kArchive);
    } else {
        described.attributes = kArchive;
        if ((external & (1u << 30)) != 0) {
            described.attributes |= kDirectory;
        }
        if ((external & (1u << 23)) == 0) {
            described.attributes |= kReadOnly;
        }
        described.link = ((external >> 16) & 0170000) == 0120000;
    }

    // The DOS time is local time; a "UT" block's times replace it.
    const tm_unz& t = info.tmu_date;
    const QDateTime local(
        QDate(static_cast<int>(t.tm_year), static_cast<int>(t.tm_mon) + 1,
              static_cast<int>(t.tm_mday)),
        QTime(static_cast<int>(t.tm_hour), static_cast<int>(t.tm_min), static_cast<int>(t.tm_sec)),
        Qt::LocalTime);
    described.modification = local.toUTC();
    described.access = described.modification;
    described.creation = described.modification;
    applyUnixTimes(extra.data(),
                   static_cast<qsizetype>(std::min<uLong>(info.size_file_extra, 65536)), described);

    state.entry = described;
    state.described = index;
    // A name longer than a name may be, or nothing left once cleaned, cannot be written.
    state.lastError =
        info.size_filename > static_cast<uLong>(kMaxNameBytes) || described.name.isEmpty()
            ? Error::BadName
            : Error::None;
    entry = described;
    return state.lastError == Error::None;
}

bool ExtractEntry(State& state, int index, const QString& name) {
    Entry entry;
    const bool described = GetEntry(state, index, entry);
    const bool folder = state.storedAsFolder || (entry.attributes & kDirectory) != 0;
    const auto fail = [&state](Error error) {
        state.lastError = error;
        return false;
    };
    if (!described) {
        return false;
    }
    const QString relative = CleanName(name);
    if (relative.isEmpty()) {
        return fail(Error::BadName);
    }
    if (entry.link) {
        return fail(Error::Link);
    }
    if (state.written >= kMaxUnpackedBytes) {
        return fail(Error::Limit);
    }
    // Cleaned names cannot climb out, but the place is checked once more as a path.
    const QString base = QDir::cleanPath(state.base);
    const QString target = QDir::cleanPath(joined(base, relative));
    if (!target.startsWith(base + QLatin1Char('/'))) {
        return fail(Error::Escapes);
    }
    if (folder) {
        const Error made = makeFolders(base, relative);
        state.lastError = made;
        return made == Error::None;
    }
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    const Error made = makeFolders(base, slash >= 0 ? relative.left(slash) : QString());
    if (made != Error::None) {
        return fail(made);
    }
    struct stat existing {};
    if (::lstat(QFile::encodeName(target).constData(), &existing) == 0 &&
        S_ISDIR(existing.st_mode)) {
        return fail(Error::Write);
    }

    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(state.archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        return fail(Error::Damaged);
    }
    if ((info.flag & 1) != 0) {
        return fail(Error::Password);
    }
    if (unzOpenCurrentFile(state.archive) != UNZ_OK) {
        return fail(Error::Damaged);
    }
    // The data goes to a file of its own beside the target, which takes the target's place
    // only once the whole entry is there and its check sum is right.
    QByteArray temp = QFile::encodeName(
        joined(QFileInfo(target).absolutePath(), QStringLiteral(".velo-unpack-XXXXXX")));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        unzCloseCurrentFile(state.archive);
        return fail(Error::Write);
    }
    Error outcome = Error::None;
    qint64 entryBytes = 0;
    state.buffer.resize(kBlockBytes);
    for (;;) {
        const int read = unzReadCurrentFile(state.archive, state.buffer.data(),
                                            static_cast<unsigned>(state.buffer.size()));
        if (read == 0) {
            break;
        }
        if (read < 0) {
            outcome = Error::Damaged;
            break;
        }
        if (state.written + read > kMaxUnpackedBytes) {
            state.written = kMaxUnpackedBytes;
            outcome = Error::Limit;
            break;
        }
        state.written += read;
        entryBytes += read;
        if (::write(fd, state.buffer.data(), static_cast<std::size_t>(read)) != read) {
            outcome = Error::Write;
            break;
        }
    }
    // minizip checks the sum only once the data has reached its stated size, so data that ends
    // early (a stored entry cut short, a compressed stream that stops) is caught by its length.
    if (unzCloseCurrentFile(state.archive) == UNZ_CRCERROR && outcome == Error::None) {
        outcome = Error::Damaged;
    }
    if (outcome == Error::None && static_cast<ZPOS64_T>(entryBytes) != info.uncompressed_size) {
        outcome = Error::Damaged;
    }
    if (outcome == Error::None) {
        // Read-only entries are files nobody may write to; others their owner may.
        const mode_t mode = (entry.attributes & kReadOnly) != 0 ? 0444 : 0644;
        const timespec times[2] = {timeOf(entry.access), timeOf(entry.modification)};
        if (::fchmod(fd, mode) != 0 || ::futimens(fd, times) != 0) {
            outcome = Error::Write;
        }
    }
    if (::close(fd) != 0 && outcome == Error::None) {
        outcome = Error::Write;
    }
    // A rename replaces a link at the target itself, never what it points to.
    if (outcome == Error::None &&
        ::rename(temp.constData(), QFile::encodeName(target).constData()) != 0) {
        outcome = Error::Write;
    }
    if (outcome != Error::None) {
        ::unlink(temp.constData());
    }
    state.lastError = outcome;
    return outcome == Error::None;
}

void StateDeleter::operator()(State* state) const {
    delete state;
}

void CloseArchive(StatePtr state) {
    state.reset();
}

Error lastError(const State& state) {
    return state.lastError;
}

QString describe(Error error) {
    switch (error) {
        case Error::None:
            return QStringLiteral("ok");
        case Error::Open:
            return QStringLiteral("not a readable zip archive");
        case Error::TooMany:
            return QStringLiteral("more than %1 entries").arg(kMaxEntries);
        case Error::NoEntry:
            return QStringLiteral("no such entry");
        case Error::BadName:
            return QStringLiteral("name too long or empty");
        case Error::Escapes:
            return QStringLiteral("would leave the folder");
        case Error::Link:
            return QStringLiteral("symbolic link, not followed or made");
        case Error::Folder:
            return QStringLiteral("folder could not be made");
        case Error::Write:
            return QStringLiteral("file could not be written");
        case Error::Damaged:
            return QStringLiteral("damaged data");
        case Error::Password:
            return QStringLiteral("encrypted");
        case Error::Limit:
            return QStringLiteral("archive has written its %1 MiB").arg(kMaxUnpackedBytes >> 20);
    }
    return {};
}

bool UnpackArchive(const QString& zipPath, const QString& folder,
                   const std::function<void(const QString& name, Error outcome)>& report) {
    return unpack(OpenArchive(zipPath), folder, report);
}

bool UnpackArchive(const QByteArray& data, const QString& folder,
                   const std::function<void(const QString& name, Error outcome)>& report) {
    return unpack(OpenArchive(data), folder, report);
}

}  // namespace AdArchive
