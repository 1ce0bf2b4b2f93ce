#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Writes zip archives for the tests with minizip's writer: entries with the host, attributes,
// DOS time and "UT" block a test asks for.
class ZipWriter {
public:
    struct Options {
        int host = 3;  // 0: a DOS/Windows archiver, 3: Unix
        unsigned long externalAttributes = 0100644u << 16;
        QDateTime dosTime = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 10), Qt::LocalTime);
        std::optional<qint64> unixModified;  // a "UT" block with this modification time
        bool stored = false;                 // no compression
    };

    explicit ZipWriter(const QString& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool add(const QByteArray& name, const QByteArray& data, const Options& options);
    bool add(const QByteArray& name, const QByteArray& data) { return add(name, data, Options()); }
    bool addFolder(const QByteArray& name);
    bool addLink(const QByteArray& name, const QByteArray& target);
    bool close();

private:
    void* m_zip = nullptr;
};
