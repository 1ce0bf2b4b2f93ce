// Advertisement archives from arbitrary bytes: the entry names as the archive stores them, and
// whole archives as minizip reads them and as the client unpacks them. No cleaned name may lead
// outside the folder, however it was written; nothing unpacked lands outside it, no unpacking
// file is left behind, and an entry said to be written is there whole.
#include "ads/AdArchive.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <ftw.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void checkInside(const QString& name) {
    static const QString base = QStringLiteral("/velo/Advertise/Fix");
    if (name.isEmpty()) {
        return;
    }
    const QString placed = QDir::cleanPath(base + QLatin1Char('/') + name);
    if (!placed.startsWith(base + QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.startsWith(QLatin1Char('/'))) {
        __builtin_trap();
    }
    for (const QString& part : name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
            __builtin_trap();
        }
    }
}

bool inMemory(const QString& folder) {
    struct statfs info {};
    return !folder.isEmpty() && ::statfs(QFile::encodeName(folder).constData(), &info) == 0 &&
           info.f_type == TMPFS_MAGIC && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// The folder inputs unpack into, made once: on a file system in memory where there is one, so
// the inputs that get that far cost no disk writes. Its archive folder lies two levels down, so
// an entry that climbed one level out would still be seen.
struct Sandbox {
    QTemporaryDir root;
    QString base;
    QByteArray nativeRoot;
    QByteArray nativeTop;
    QByteArray nativeBase;
    Sandbox()
        : root([] {
              for (const QString& folder :
                   {qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/dev/shm")}) {
                  if (inMemory(folder)) {
                      return folder;
                  }
              }
              return QDir::tempPath();
          }() + QStringLiteral("/fuzz-adarchive-XXXXXX")),
          base(root.filePath(QStringLiteral("Advertise/Fix"))),
          nativeRoot(QFile::encodeName(root.path())),
          nativeTop(QFile::encodeName(root.filePath(QStringLiteral("Advertise")))),
          nativeBase(QFile::encodeName(base)) {
        if (!root.isValid()) {
            __builtin_trap();
        }
    }
};

const Sandbox* walked = nullptr;
// The files the entries reported written: an entry may well be named like an unpacking file.
QSet<QByteArray> written;

// One step of the walk below: what is there lies inside the archive folder, is no link and no
// unpacking file left over; then it goes (the walk comes to a folder after its contents).
int checkAndRemove(const char* path, const struct stat*, int type, struct FTW* at) {
    const QByteArrayView place(path);
    if (place == walked->nativeRoot) {
        return 0;
    }
    const QByteArray& base = walked->nativeBase;
    const bool inside = place == base || (place.startsWith(base) && place.size() > base.size() &&
                                          place[base.size()] == '/');
    if ((!inside && place != walked->nativeTop) || type == FTW_SL ||
        (type == FTW_F && QByteArrayView(path + at->base).startsWith(".velo-unpack-") &&
         !written.contains(QByteArray::fromRawData(path, place.size())))) {
        __builtin_trap();
    }
    return ::remove(path);
}

// After an unpacking: every file and folder in the sandbox checked, and all of it removed for the
// next input. Plain system calls: this runs for every input that unpacks.
void checkAndClear(const Sandbox& box) {
    walked = &box;
    if (::nftw(box.nativeRoot.constData(), checkAndRemove, 16, FTW_PHYS | FTW_DEPTH) != 0) {
        __builtin_trap();  // something could not be removed, and would spoil the next input
    }
    written.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The fuzzer's own buffer, not a copy: a read past its end is caught.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkInside(AdArchive::CleanName(QString::fromUtf8(bytes)));

    // The same bytes as an archive: every entry it describes gets a name that stays inside.
    AdArchive::StatePtr state = AdArchive::OpenArchive(bytes);
    if (!state) {
        return 0;
    }
    AdArchive::Entry count;
    AdArchive::GetEntry(*state, -1, count);
    if (count.index < 0 || count.index > AdArchive::kMaxEntries) {
        __builtin_trap();
    }
    std::vector<AdArchive::Entry> entries;
    for (int i = 0; i < count.index && i < 64; ++i) {
        AdArchive::Entry& entry = entries.emplace_back();
        AdArchive::GetEntry(*state, i, entry);
        checkInside(entry.name);
    }
    AdArchive::CloseArchive(std::move(state));
    if (count.index == 0) {
        return 0;
    }

    // Unpacked as the client unpacks it: each entry it reports written is in its place, whole.
    static const Sandbox box;
    std::size_t reported = 0;
    const bool unpacked = AdArchive::UnpackArchive(
        bytes, box.base, [&](const QString& name, AdArchive::Error outcome) {
            if (reported < entries.size()) {
                const AdArchive::Entry& entry = entries[reported];
                if (name != entry.name) {
                    __builtin_trap();
                }
                struct stat info {};
                if (outcome == AdArchive::Error::None &&
                    (::lstat(QFile::encodeName(box.base + QLatin1Char('/') + name).constData(),
                             &info) != 0 ||
                     !(S_ISDIR(info.st_mode) ||
                       (S_ISREG(info.st_mode) && info.st_size == entry.uncompressedSize)))) {
                    __builtin_trap();
                }
            }
            if (outcome == AdArchive::Error::None) {
                written.insert(box.nativeBase + '/' + QFile::encodeName(name));
            }
            ++reported;
        });
    if (!unpacked || reported != static_cast<std::size_t>(count.index)) {
        __builtin_trap();
    }
    checkAndClear(box);
    return 0;
}
