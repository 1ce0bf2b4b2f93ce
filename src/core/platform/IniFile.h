#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Reads and writes the plain INI files that deployers edit by hand. Section and key names match
// without regard to case; whitespace around keys and values is ignored; one pair of surrounding
// quotes is removed from a value; lines that start with ";" are comments. A write changes only the
// line it is about and replaces the whole file atomically, so a crash leaves the old file or the
// new one, never half of either. The text is UTF-8, with or without a byte-order mark.
//
// A file over 1 MiB is no INI file of ours: it reads as missing and is never replaced.
class IniFile {
public:
    static constexpr qsizetype kMaxFileBytes = 1024 * 1024;

    // The value of KEY in SECTION, or DEFAULTVALUE when the file, the section or the key is
    // missing. Like a fixed-size reader buffer, the result holds at most BUFFERCHARS - 1 UTF-16
    // units (nothing when BUFFERCHARS is 0 or less).
    static QString readString(const QString& path, QStringView section, QStringView key,
                              const QString& defaultValue, int bufferChars);

    // Sets KEY in SECTION to VALUE: the first matching key is replaced in place, a missing key is
    // added at the end of its section, a missing section at the end of the file, and a missing
    // file is created. False, and the file untouched, when the names or the value could not be
    // written as one line, or the existing file cannot be read or the new one not stored.
    static bool writeString(const QString& path, QStringView section, QStringView key,
                            QStringView value);

    // The same two operations on the text of a file: the value read from CONTENT, and CONTENT
    // with the key set (none when the names or the value cannot be written as one line).
    static QString valueIn(const QByteArray& content, QStringView section, QStringView key,
                           const QString& defaultValue, int bufferChars);
    static std::optional<QByteArray> withValue(const QByteArray& content, QStringView section,
                                               QStringView key, QStringView value);

private:
    enum class Contents { Missing, Read, Unusable };
    // Reads the file at PATH into CONTENT: Unusable when it cannot be read or is too large.
    static Contents readFile(const QString& path, QByteArray& content);

    struct Line {
        QByteArray raw;  // as in the file, without its '\n' (a '\r' before it stays here)
        enum Kind { Other, Section, Key } kind = Other;
        QString name;   // section or key name, trimmed
        QString value;  // key value, trimmed, quotes removed
    };
    static QList<Line> splitLines(const QByteArray& content);
    static Line classify(const QByteArray& raw, bool first);
};
