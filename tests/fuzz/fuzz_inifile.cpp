// The INI text of a configuration file as the program reads and rewrites it. Whatever the file
// holds, a value written is read back as written (cut to the reader's buffer), and the rewrite
// changes no other key the reader can see.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString other =
        IniFile::valueIn(content, u"VELO", u"ServerUrl", QStringLiteral("-"), 256);
    (void)IniFile::valueIn(content, u"", u"", QString(), 0);

    const std::optional<QByteArray> written =
        IniFile::withValue(content, u"VELO", u"UserInfo", u"cafe01 beef");
    if (!written) {
        __builtin_trap();  // a plain name and value can always be written
    }
    if (IniFile::valueIn(*written, u"VELO", u"UserInfo", QString(), 256) !=
        QStringLiteral("cafe01 beef")) {
        __builtin_trap();
    }
    if (IniFile::valueIn(*written, u"VELO", u"ServerUrl", QStringLiteral("-"), 256) != other) {
        __builtin_trap();
    }
    // A value that would break the line is refused.
    if (IniFile::withValue(content, u"VELO", u"UserInfo", u"a\nb")) {
        __builtin_trap();
    }
    return 0;
}
