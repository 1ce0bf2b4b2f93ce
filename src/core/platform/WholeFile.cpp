#include "platform/WholeFile.h"

#include <QSaveFile>

namespace WholeFile {

bool replace(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    // Unbuffered, a write that does not fit fails in write() itself. Buffered, it would fail only
    // in the flush inside commit(), which commit() does not look at: the short file would take
    // the old one's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace WholeFile
