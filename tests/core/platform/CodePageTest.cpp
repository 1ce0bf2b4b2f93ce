#include "platform/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, JapaneseTextRoundTripsAndBrokenBytesBecomeReplacementCharacters) {
    const QString text = QStringLiteral("VELOライブ 人気チャンネル ＮＨＫ 𠀋");
    EXPECT_EQ(CodePage::toAnsi(text), text.toUtf8());
    EXPECT_EQ(CodePage::fromAnsi(CodePage::toAnsi(text)), text);
    // A stray continuation byte and a cut sequence: each becomes U+FFFD, the rest survives.
    const QString broken =
        CodePage::fromAnsi(QByteArray("a\x80"
                                      "b\xe3\x81",
                                      5));
    EXPECT_TRUE(broken.startsWith(QLatin1Char('a')));
    EXPECT_TRUE(broken.contains(QLatin1Char('b')));
    EXPECT_TRUE(broken.contains(QChar(0xFFFD)));
    EXPECT_TRUE(CodePage::fromAnsi(QByteArray()).isEmpty());
}
