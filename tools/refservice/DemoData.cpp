#include "DemoData.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <zip.h>
#include <zlib.h>

#include "XmlText.h"
#include "common/Cipher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

struct DemoAccount {
    const char* id;
    const char* password;
    const char* name;
    qint64 useTimeMs;
    bool busy;
};

// The four outcomes of a sign-in: ordinary, out of time, already signed in elsewhere, and a
// second ordinary user for switching accounts.
constexpr DemoAccount kAccounts[] = {
    {"demo@velo.example", "demo1234", "デモユーザー", 36000000, false},
    {"empty@velo.example", "empty1234", "残高なし", 0, false},
    {"busy@velo.example", "busy1234", "使用中ユーザー", 18000000, true},
    {"taro@velo.example", "taro5678", "山田太郎", 7200000, false},
};

struct DemoChannel {
    int id;
    const char* name;
    bool vip;
};

struct DemoGroup {
    const char* name;
    std::initializer_list<DemoChannel> channels;
};

struct DemoGroupSet {
    const char* name;
    std::initializer_list<DemoGroup> groups;
};

// The client marks the groups "人気チャンネル" and "最新更新" with animated marks and shows a
// placeholder under a group without channels; labels longer than 18 (16 for VIP) characters are
// shortened. The demo list has one of each so every such path shows on screen.
const std::initializer_list<DemoGroupSet> kGroupSets = {
    {"地上波・BS",
     {
         {"人気チャンネル",
          {{101, "VELOニュース24", false},
           {201, "スポーツライブ1", false},
           {303, "洋画プレミアム", true},
           {401, "アニメ・ステーション", false},
           {501, "J-POPヒッツ", false}}},
         {"最新更新",
          {{901, "新番組チャンネル", false},
           {902, "ドラマ・ナビ", false},
           {404, "深夜アニメプラス", true}}},
         {"ニュース",
          {{101, "VELOニュース24", false},
           {102, "経済ニュースチャンネル", false},
           {103, "天気と交通情報", false},
           {104, "ワールドニュース", true}}},
         {"スポーツ",
          {{201, "スポーツライブ1", false},
           {202, "スポーツライブ2", false},
           {203, "プロ野球チャンネル", true},
           {204, "サッカープレミアム", true},
           {205, "ゴルフと釣り", false}}},
     }},
    {"エンタメ",
     {
         {"映画",
          {{301, "シネマ・クラシック", false},
           {302, "邦画セレクト", false},
           {303, "洋画プレミアム", true},
           {304, "アクション映画館", false},
           {305, "ホラー＆サスペンス劇場", true}}},
         {"アニメ",
          {{401, "アニメ・ステーション", false},
           {402, "キッズアニメ", false},
           {403, "懐かしアニメ劇場", false},
           {404, "深夜アニメプラス", true}}},
         {"音楽",
          {{501, "J-POPヒッツ", false},
           {502, "クラシック音楽館", false},
           {503, "ライブ・コンサート", true},
           {504, "演歌・歌謡曲", false}}},
         {"近日公開", {}},
     }},
    {"教養・海外",
     {
         {"ドキュメンタリー",
          {{601, "ネイチャー・ドキュメント", false},
           {602, "歴史ドキュメンタリー", false},
           {603, "世界の絶景と鉄道の旅・ハイビジョン特別編成", false},
           {604, "宇宙と科学のふしぎ探検・プレミアム特集", true}}},
         {"教育・趣味",
          {{701, "教養講座", false},
           {702, "料理と暮らし", false},
           {703, "英会話チャンネル", false}}},
         {"海外チャンネル",
          {{801, "韓国ドラマ専門", true}, {802, "中国時代劇", false}, {803, "アジアの旅", false}}},
     }},
};

QString attribute(const char* utf8) {
    return XmlText::escape(QString::fromUtf8(utf8));
}

}  // namespace

QByteArray DemoData::accountsJson() {
    QJsonArray accounts;
    for (const DemoAccount& account : kAccounts) {
        accounts.append(QJsonObject{
            {QStringLiteral("id"), QString::fromUtf8(account.id)},
            {QStringLiteral("password"), QString::fromUtf8(account.password)},
            {QStringLiteral("name"), QString::fromUtf8(account.name)},
            {QStringLiteral("useTimeMs"), account.useTimeMs},
            {QStringLiteral("busy"), account.busy},
        });
    }
    return QJsonDocument(accounts).toJson(QJsonDocument::Indented);
}

QByteArray DemoData::registrationsJson() {
    return QJsonDocument(QJsonArray()).toJson(QJsonDocument::Indented);
}

QByteArray DemoData::updateJson() {
    const QJsonObject update{
        {QStringLiteral("mode"), QStringLiteral("none")},
        {QStringLiteral("text1"), QStringLiteral("VELO 1.6.1.0")},
        {QStringLiteral("text2"),
         QStringLiteral("番組表の表示を改善しました#再生の安定性を向上しました#")},
    };
    return QJsonDocument(update).toJson(QJsonDocument::Indented);
}

std::vector<DemoData::Channel> DemoData::channels() {
    std::vector<Channel> all;
    for (const DemoGroupSet& set : kGroupSets) {
        for (const DemoGroup& group : set.groups) {
            for (const DemoChannel& channel : group.channels) {
                const bool listed = std::any_of(
                    all.begin(), all.end(), [&](const Channel& c) { return c.id == channel.id; });
                if (!listed) {
                    all.push_back(Channel{channel.id, QString::fromUtf8(channel.name)});
                }
            }
        }
    }
    return all;
}

QString DemoData::streamAddress(const QString& streamBase, int id) {
    // Channels x02 come as HLS, so the client plays both kinds.
    const bool hls = id % 100 == 2;
    return QStringLiteral("%1/live/%2.%3")
        .arg(streamBase)
        .arg(id)
        .arg(hls ? QStringLiteral("m3u8") : QStringLiteral("ts"));
}

QByteArray DemoData::channelListXml(const QString& streamBase) {
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n");
    for (const DemoGroupSet& set : kGroupSets) {
        xml += QStringLiteral("  <groups name=\"%1\">\n").arg(attribute(set.name));
        for (const DemoGroup& group : set.groups) {
            xml += QStringLiteral("    <group name=\"%1\">\n").arg(attribute(group.name));
            for (const DemoChannel& channel : group.channels) {
                // It has to survive the cipher round trip (at most 56 bytes).
                const QString address = streamAddress(streamBase, channel.id);
                const QString hex = EncryptText(address).value_or(QString());
                if (hex.isEmpty()) {
                    std::fprintf(stderr, "refservice: cannot encrypt playback address %s\n",
                                 qPrintable(address));
                }
                xml += QStringLiteral(
                           "      <channel id=\"%1\"><name>%2</name><vip>%3</vip>"
                           "<zar_address><item>%4</item></zar_address></channel>\n")
                           .arg(QString::number(channel.id), attribute(channel.name),
                                channel.vip ? QStringLiteral("1") : QStringLiteral("0"), hex);
            }
            xml += QStringLiteral("    </group>\n");
        }
        xml += QStringLiteral("  </groups>\n");
    }
    xml += QStringLiteral("</tvlist>\n");
    return xml.toUtf8();
}

namespace {

// A zip archive of FILES (name in the archive, resource path), built with minizip's writer.
QByteArray zipOf(const std::vector<std::pair<const char*, const char*>>& files) {
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("archive.zip"));
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), 0);
    if (zip == nullptr) {
        return {};
    }
    bool ok = true;
    for (const auto& [name, resource] : files) {
        QFile source(QString::fromLatin1(resource));
        if (!source.open(QIODevice::ReadOnly)) {
            ok = false;
            break;
        }
        const QByteArray data = source.readAll();
        zip_fileinfo info{};
        const QDateTime now = QDateTime::currentDateTime();
        info.tmz_date.tm_year = static_cast<uInt>(now.date().year());
        info.tmz_date.tm_mon = static_cast<uInt>(now.date().month() - 1);
        info.tmz_date.tm_mday = static_cast<uInt>(now.date().day());
        info.tmz_date.tm_hour = static_cast<uInt>(now.time().hour());
        info.tmz_date.tm_min = static_cast<uInt>(now.time().minute());
        info.tmz_date.tm_sec = static_cast<uInt>(now.time().second());
        ok = zipOpenNewFileInZip64(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION, 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, data.constData(), static_cast<unsigned>(data.size())) ==
                 ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
        if (!ok) {
            break;
        }
    }
    if (zipClose(zip, nullptr) != ZIP_OK || !ok) {
        return {};
    }
    QFile archive(path);
    return archive.open(QIODevice::ReadOnly) ? archive.readAll() : QByteArray();
}

}  // namespace

QByteArray DemoData::bannerArchive() {
    return zipOf({{"index.html", ":/ads/index.html"}, {"img/banner.png", ":/ads/banner.png"}});
}

QByteArray DemoData::popUpArchive() {
    return zipOf({{"index.html", ":/ads/pop.html"}});
}
