#include "catalogue/ChannelSearch.h"

#include "catalogue/ChannelList.h"
#include "catalogue/NameReader.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

ChannelList listOf(const std::vector<std::pair<QString, QString>>& channels) {
    ChannelList lists;
    for (const auto& [id, name] : channels) {
        lists.channels.push_back(std::make_unique<ChannelInfo>(0, id, name, QString(), QString()));
    }
    return lists;
}

// The names a query finds, in the list's order.
QStringList namesFound(const ChannelSearch& search, const QString& query) {
    QStringList names;
    for (const ChannelInfo* channel : search.FindChannels(query)) {
        names << channel->name().toString();
    }
    return names;
}

class ChannelSearchTest : public ::testing::Test {
protected:
    ChannelList m_lists = listOf({
        {QStringLiteral("101"), QStringLiteral("NHKニュース")},
        {QStringLiteral("102"), QStringLiteral("アニメ・ステーション")},
        {QStringLiteral("103"), QStringLiteral("ドラマ専門チャンネル")},
        {QStringLiteral("104"), QStringLiteral("スポーツライブ")},
        {QStringLiteral("205"), QStringLiteral("ｱﾆﾒ ｸﾗｼｯｸ")},
        {QStringLiteral("206"), QStringLiteral("ＢＳ映画")},
        {QStringLiteral("207"), QStringLiteral("シャボン玉キッズ")},
        {QStringLiteral("208"), QStringLiteral("ファミリー劇場")},
        {QStringLiteral("1010"), QStringLiteral("東京ローカル")},
        {QStringLiteral("209"), QStringLiteral("ディズニーch")},
        {QStringLiteral("210"), QStringLiteral("新聞テレビ")},
        {QStringLiteral("211"), QStringLiteral("シンブン ワールド")},
    });
    ChannelSearch m_search{m_lists, ChannelSearch::Readings::With};
};

}  // namespace

TEST_F(ChannelSearchTest, WidthCaseKanaAndSeparatorsFoldAway) {
    const QString anime = QStringLiteral("アニメ・ステーション");
    const QString classic = QStringLiteral("ｱﾆﾒ ｸﾗｼｯｸ");
    EXPECT_EQ(namesFound(m_search, QStringLiteral("ＮＨＫ")),
              QStringList{QStringLiteral("NHKニュース")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("nhk")),
              QStringList{QStringLiteral("NHKニュース")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("bs")), QStringList{QStringLiteral("ＢＳ映画")});
    // Half-width kana, hiragana and katakana are one and the same.
    EXPECT_EQ(namesFound(m_search, QStringLiteral("アニメ")), (QStringList{anime, classic}));
    EXPECT_EQ(namesFound(m_search, QStringLiteral("あにめ")), (QStringList{anime, classic}));
    EXPECT_EQ(namesFound(m_search, QStringLiteral("ｸﾗｼｯｸ")), QStringList{classic});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("くらしっく")), QStringList{classic});
    // Neither the middle dot nor blanks count, in the name or in the query.
    EXPECT_EQ(namesFound(m_search, QStringLiteral("アニメステーション")), QStringList{anime});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("アニメ ステ")), QStringList{anime});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("めくら")), QStringList{classic});
    // Anywhere in the name, kanji included.
    EXPECT_EQ(namesFound(m_search, QStringLiteral("劇場")),
              QStringList{QStringLiteral("ファミリー劇場")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("専門")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
}

TEST_F(ChannelSearchTest, RomajiFindsKanaNamesAsTheyAreTyped) {
    const QStringList news{QStringLiteral("NHKニュース")};
    for (const char* query : {"nyusu", "nyuusu", "nyu-su", "NYUUSU", "nyu", "nhknyu"}) {
        EXPECT_EQ(namesFound(m_search, QString::fromLatin1(query)), news) << query;
    }
    const QStringList sports{QStringLiteral("スポーツライブ")};
    for (const char* query : {"supootsu", "supotsu", "supo-tsu", "supoutsu", "supotu", "raibu"}) {
        EXPECT_EQ(namesFound(m_search, QString::fromLatin1(query)), sports) << query;
    }
    EXPECT_EQ(namesFound(m_search, QStringLiteral("dorama")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("channeru")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("tyanneru")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
    // The beginnings of "anime" already find both anime channels.
    const QStringList anime{QStringLiteral("アニメ・ステーション"), QStringLiteral("ｱﾆﾒ ｸﾗｼｯｸ")};
    for (const char* query : {"ani", "anim", "anime"}) {
        EXPECT_EQ(namesFound(m_search, QString::fromLatin1(query)), anime) << query;
    }
    // Palatal and foreign syllables, the small tsu, and both spellings of the syllabic n.
    EXPECT_EQ(namesFound(m_search, QStringLiteral("shabon")),
              QStringList{QStringLiteral("シャボン玉キッズ")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("syabon")),
              QStringList{QStringLiteral("シャボン玉キッズ")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("syab")),
              QStringList{QStringLiteral("シャボン玉キッズ")});
    EXPECT_EQ(m_search.Find(QStringLiteral("sy")), m_search.Find(QStringLiteral("sh")));
    EXPECT_EQ(m_search.Find(QStringLiteral("sh")).size(), 5U) << "新聞 reads shinbun";
    EXPECT_EQ(namesFound(m_search, QStringLiteral("animesute")),
              QStringList{QStringLiteral("アニメ・ステーション")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("kizzu")),
              QStringList{QStringLiteral("シャボン玉キッズ")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("kurashikku")),
              QStringList{QStringLiteral("ｱﾆﾒ ｸﾗｼｯｸ")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("famiri")),
              QStringList{QStringLiteral("ファミリー劇場")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("dizuni")),
              QStringList{QStringLiteral("ディズニーch")});
    // Kanji are found by their reading as well as kana are.
    const QStringList shinbun{QStringLiteral("新聞テレビ"), QStringLiteral("シンブン ワールド")};
    EXPECT_EQ(namesFound(m_search, QStringLiteral("shimbun")), shinbun);
    EXPECT_EQ(namesFound(m_search, QStringLiteral("shinbun")), shinbun);
}

TEST_F(ChannelSearchTest, UnrelatedQueriesFindNothingAndIdsAreFoundByTheirDigits) {
    for (const char* query : {"xyz", "qx", "qq", "ぱ", "  ", "・", ""}) {
        EXPECT_EQ(namesFound(m_search, QString::fromUtf8(query)), QStringList()) << query;
    }
    EXPECT_EQ(namesFound(m_search, QStringLiteral("kids")), QStringList());
    EXPECT_EQ(namesFound(m_search, QStringLiteral("103")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
    EXPECT_EQ(namesFound(m_search, QStringLiteral("１０３")),
              QStringList{QStringLiteral("ドラマ専門チャンネル")});
    // A beginning finds every id that starts with it, in the list's order.
    EXPECT_EQ(m_search.Find(QStringLiteral("10")), (std::vector<int>{0, 1, 2, 3, 8}));
    EXPECT_EQ(m_search.Find(QStringLiteral("101")), (std::vector<int>{0, 8}));
}

TEST(ChannelSearchFolding, FoldedFormsAndRomajiSpellings) {
    EXPECT_EQ(ChannelSearch::Fold(QStringLiteral("ＡＢＣ・ｱﾆﾒ　ひらがな")),
              QStringLiteral("abcアニメヒラガナ"));
    EXPECT_EQ(ChannelSearch::Romaji(QStringLiteral("キャッチャー")), "kyatcha");
    EXPECT_EQ(ChannelSearch::Romaji(QStringLiteral("ヒャク")), "hyaku");
    EXPECT_EQ(ChannelSearch::Romaji(QStringLiteral("ウィンドウ")), "windo");
    EXPECT_EQ(ChannelSearch::Romaji(QStringLiteral("ヴァイオリン")), "vaiorin");
    EXPECT_EQ(ChannelSearch::KanaForRomaji(QStringLiteral("matcha")), QStringLiteral("マッチャ"));
    EXPECT_EQ(ChannelSearch::KanaForRomaji(QStringLiteral("kon'ya")), QStringLiteral("コンヤ"));
    EXPECT_EQ(ChannelSearch::KanaForRomaji(QStringLiteral("anim")), QStringLiteral("アニm"));
}

TEST(ChannelSearchIndex, ANewListReplacesTheOld) {
    ChannelList first = listOf({{QStringLiteral("1"), QStringLiteral("アニメ")}});
    ChannelList second = listOf({{QStringLiteral("2"), QStringLiteral("ニュース")},
                                 {QStringLiteral("3"), QStringLiteral("アニメ")}});
    ChannelSearch search(first);
    EXPECT_EQ(search.FindChannels(QStringLiteral("anime")),
              std::vector<const ChannelInfo*>{first.channels[0].get()});
    search.Index(second);
    EXPECT_EQ(search.size(), 2);
    EXPECT_EQ(search.FindChannels(QStringLiteral("anime")),
              std::vector<const ChannelInfo*>{second.channels[1].get()});
    search.Index(ChannelList());
    EXPECT_TRUE(search.Find(QStringLiteral("anime")).empty());
}

TEST(ChannelSearchReadings, KanjiNamesAreFoundByTheirReadingInKanaAndRomaji) {
    const ChannelList lists = listOf({
        {QStringLiteral("1"), QStringLiteral("天気予報")},
        {QStringLiteral("2"), QStringLiteral("きょうの料理")},
        {QStringLiteral("3"), QStringLiteral("京都観光")},
        {QStringLiteral("4"), QStringLiteral("囲碁・将棋チャンネル")},
        {QStringLiteral("5"), QStringLiteral("東京ローカル")},
        {QStringLiteral("6"), QStringLiteral("映画館")},
    });
    const ChannelSearch search(lists, ChannelSearch::Readings::With);
    const struct {
        const char* query;
        const char* found;  // "" when nothing must be
    } cases[] = {
        {"tenki", "天気予報"},
        {"てんき", "天気予報"},
        {"テンキ", "天気予報"},
        {"tenkiyohou", "天気予報"},
        {"yoho", "天気予報"},
        {"ryouri", "きょうの料理"},
        {"ryori", "きょうの料理"},
        {"kyoto", "京都観光"},
        {"kyouto", "京都観光"},
        {"きょうと", "京都観光"},
        {"shogi", "囲碁・将棋チャンネル"},
        {"shougi", "囲碁・将棋チャンネル"},
        {"igo", "囲碁・将棋チャンネル"},
        {"toukyou", "東京ローカル"},
        {"tokyo", "東京ローカル"},
        {"eiga", "映画館"},
        {"えいが", "映画館"},
        {"ega", ""},
        {"tenkiz", ""},
        {"ryoku", ""},
        {"kyotoo", "京都観光"},
    };
    for (const auto& c : cases) {
        const QStringList found = namesFound(search, QString::fromUtf8(c.query));
        EXPECT_EQ(found, *c.found ? QStringList{QString::fromUtf8(c.found)} : QStringList())
            << c.query;
    }
}

TEST(ChannelSearchReadings, WithoutTheDictionaryNamesAreFoundAsBeforeAndNothingIsSaid) {
    const QByteArray before = qgetenv("MECABRC");
    qputenv("MECABRC", "/nonexistent/mecabrc");
    EXPECT_FALSE(NameReader().ready());
    const ChannelList lists = listOf({{QStringLiteral("1"), QStringLiteral("天気予報")}});
    const ChannelSearch search(lists, ChannelSearch::Readings::With);
    before.isNull() ? qunsetenv("MECABRC") : qputenv("MECABRC", before);
    EXPECT_EQ(namesFound(search, QStringLiteral("天気")), QStringList{QStringLiteral("天気予報")});
    EXPECT_EQ(namesFound(search, QStringLiteral("tenki")), QStringList());
}
