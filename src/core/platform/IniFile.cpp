#include "platform/IniFile.h"

#include "platform/WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

bool sameName(const QString& a, QStringView b) {
    return a.compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

bool hasLineBreak(QStringView text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

}  // namespace

IniFile::Line IniFile::classify(const QByteArray& raw, bool first) {
    Line line;
    line.raw = raw;
    QByteArray bytes = raw;
    if (first && bytes.startsWith(kBom)) {
        bytes.remove(0, kBom.size());
    }
    const QString text = QString::fromUtf8(bytes).trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) {
        return line;
    }
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = Line::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return line;
    }
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals > 0) {
        line.kind = Line::Key;
        line.name = text.left(equals).trimmed();
        line.value = unquote(text.mid(equals + 1).trimmed());
    }
    return line;
}

QList<IniFile::Line> IniFile::splitLines(const QByteArray& content) {
    QList<Line> lines;
    const QList<QByteArray> raws = content.split('\n');
    lines.reserve(raws.size());
    for (const QByteArray& raw : raws) {
        lines.append(classify(raw, lines.isEmpty()));
    }
    return lines;
}

IniFile::Contents IniFile::readFile(const QString& path, QByteArray& content) {
    content.clear();
    if (!QFileInfo::exists(path)) {
        return Contents::Missing;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        return Contents::Unusable;
    }
    // Read one byte past the limit: a file that grows while it is read is caught as well.
    content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > kMaxFileBytes) {
        content.clear();
        return Contents::Unusable;
    }
    return Contents::Read;
}

QString IniFile::readString(const QString& path, QStringView section, QStringView key,
                            const QString& defaultValue, int bufferChars) {
    QByteArray content;
    readFile(path, content);  // a missing or unusable file reads as empty
    return valueIn(content, section, key, defaultValue, bufferChars);
}

QString IniFile::valueIn(const QByteArray& content, QStringView section, QStringView key,
                         const QString& defaultValue, int bufferChars) {
    if (bufferChars <= 0) {
        return {};
    }
    QString result = defaultValue;
    bool inSection = false;
    for (const Line& line : splitLines(content)) {
        if (line.kind == Line::Section) {
            if (inSection) {
                break;  // only the first section of that name counts
            }
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Line::Key && sameName(line.name, key)) {
            result = line.value;
            break;
        }
    }
    if (result.size() > bufferChars - 1) {
        result.truncate(bufferChars - 1);
    }
    return result;
}

bool IniFile::writeString(const QString& path, QStringView section, QStringView key,
                          QStringView value) {
    QByteArray content;
    // Never replace a file that could not be read whole: its other lines would be lost.
    if (readFile(path, content) == Contents::Unusable) {
        return false;
    }
    const std::optional<QByteArray> joined = withValue(content, section, key, value);
    if (!joined) {
        return false;
    }
    return WholeFile::replace(path, *joined);
}

std::optional<QByteArray> IniFile::withValue(const QByteArray& content, QStringView section,
                                             QStringView key, QStringView value) {
    const QString sectionName = section.trimmed().toString();
    const QString keyName = key.trimmed().toString();
    if (sectionName.isEmpty() || keyName.isEmpty() || hasLineBreak(sectionName) ||
        hasLineBreak(keyName) || hasLineBreak(value) || sectionName.contains(QLatin1Char(']')) ||
        keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char(';')) ||
        keyName.startsWith(QLatin1Char('['))) {
        return std::nullopt;
    }

    const bool crlf = content.contains("\r\n");
    const QByteArray eol = crlf ? QByteArray("\r") : QByteArray();
    const QByteArray keyLine = keyName.toUtf8() + '=' + value.toUtf8();

    QList<Line> lines = content.isEmpty() ? QList<Line>{} : splitLines(content);
    qsizetype sectionAt = -1;
    qsizetype keyAt = -1;
    qsizetype lastContent = -1;  // last non-blank line of the section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Section) {
            if (sectionAt >= 0) {
                break;
            }
            if (sameName(line.name, sectionName)) {
                sectionAt = i;
                lastContent = i;
            }
        } else if (sectionAt >= 0) {
            if (!line.raw.trimmed().isEmpty()) {
                lastContent = i;
            }
            if (line.kind == Line::Key && sameName(line.name, keyName)) {
                keyAt = i;
                break;
            }
        }
    }

    QList<QByteArray> out;
    out.reserve(lines.size() + 3);
    for (const Line& line : lines) {
        out.append(line.raw);
    }
    if (keyAt >= 0) {
        const bool hadCr = out[keyAt].endsWith('\r');
        QByteArray replaced = keyLine + (hadCr ? QByteArray("\r") : QByteArray());
        if (keyAt == 0 && out[0].startsWith(kBom)) {
            replaced.prepend(kBom);
        }
        out[keyAt] = replaced;
    } else if (sectionAt >= 0) {
        out.insert(lastContent + 1, keyLine + eol);
    } else {
        // A file that ends without a line break gets one before the new section.
        if (!out.isEmpty() && !out.back().isEmpty()) {
            out.back().append(eol);
            out.append(QByteArray());
        }
        if (out.isEmpty()) {
            out.append(QByteArray());
        }
        out.back() = '[' + sectionName.toUtf8() + ']' + eol;
        out.append(keyLine + eol);
        out.append(QByteArray());
    }

    return out.join('\n');
}
