#include "support/ZipWriter.h"

#include <QFile>

#include <zip.h>
#include <zlib.h>

ZipWriter::ZipWriter(const QString& path)
    : m_zip(zipOpen64(QFile::encodeName(path).constData(), 0)) {}

ZipWriter::~ZipWriter() {
    close();
}

bool ZipWriter::add(const QByteArray& name, const QByteArray& data, const Options& options) {
    if (m_zip == nullptr) {
        return false;
    }
    zip_fileinfo info{};
    const QDate day = options.dosTime.date();
    const QTime time = options.dosTime.time();
    info.tmz_date.tm_year = static_cast<uInt>(day.year());
    info.tmz_date.tm_mon = static_cast<uInt>(day.month() - 1);
    info.tmz_date.tm_mday = static_cast<uInt>(day.day());
    info.tmz_date.tm_hour = static_cast<uInt>(time.hour());
    info.tmz_date.tm_min = static_cast<uInt>(time.minute());
    info.tmz_date.tm_sec = static_cast<uInt>(time.second());
    info.external_fa = options.externalAttributes;
    QByteArray extra;
    if (options.unixModified) {
        const auto seconds = static_cast<quint32>(*options.unixModified);
        extra = QByteArray("UT\x05\x00\x01", 5);
        for (int i = 0; i < 4; ++i) {
            extra += static_cast<char>((seconds >> (8 * i)) & 0xFF);
        }
    }
    const int opened = zipOpenNewFileInZip4_64(
        m_zip, name.constData(), &info, extra.constData(), static_cast<uInt>(extra.size()),
        extra.constData(), static_cast<uInt>(extra.size()), nullptr,
        options.stored ? 0 : Z_DEFLATED, options.stored ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
        DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, static_cast<uLong>(options.host << 8 | 20),
        0, 0);
    if (opened != ZIP_OK) {
        return false;
    }
    const bool written =
        data.isEmpty() ||
        zipWriteInFileInZip(m_zip, data.constData(), static_cast<unsigned>(data.size())) == ZIP_OK;
    return zipCloseFileInZip(m_zip) == ZIP_OK && written;
}

bool ZipWriter::addFolder(const QByteArray& name) {
    Options options;
    options.externalAttributes = (040755u << 16) | 0x10;
    return add(name, {}, options);
}

bool ZipWriter::addLink(const QByteArray& name, const QByteArray& target) {
    Options options;
    options.externalAttributes = 0120777u << 16;
    options.stored = true;
    return add(name, target, options);
}

bool ZipWriter::close() {
    if (m_zip == nullptr) {
        return true;
    }
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return closed;
}
