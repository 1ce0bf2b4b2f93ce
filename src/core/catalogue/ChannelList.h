#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// One "groups" element of the channel list: a set of groups.
struct GroupSetInfo {
    int index = 0;
    QString name;
};

// One "group" element; its index counts over the whole file, not per set.
struct GroupInfo {
    int setIndex = 0;
    int groupIndex = 0;
    bool hasChannels = false;
    QString name;
};

// One "channel" element with its decrypted playback address. Its four texts are kept end to end
// in one string, so a channel costs one allocation instead of four, which a list of a hundred
// thousand channels feels; copies share that string, so a copy outlives the list it came from.
class ChannelInfo {
public:
    ChannelInfo() = default;
    ChannelInfo(int groupIndex, QStringView id, QStringView name, QStringView vip,
                QStringView address);

    // Each view is valid as long as this record (or a copy of it) is.
    QStringView id() const { return QStringView(m_text).first(m_idEnd); }
    QStringView name() const { return QStringView(m_text).sliced(m_idEnd, m_nameEnd - m_idEnd); }
    QStringView vip() const { return QStringView(m_text).sliced(m_nameEnd, m_vipEnd - m_nameEnd); }
    QStringView address() const { return QStringView(m_text).sliced(m_vipEnd); }

private:
    QString m_text;
    // Where the id, the name and the VIP flag end in m_text; 32 bits keep the record at 40 bytes.
    std::int32_t m_idEnd = 0;
    std::int32_t m_nameEnd = 0;
    std::int32_t m_vipEnd = 0;

public:
    int groupIndex = 0;
};

// The three lists read from tvchannel.xml, in document order. The records live as long as the
// lists and never move, so a window may keep pointers to them.
struct ChannelList {
    std::vector<std::unique_ptr<GroupSetInfo>> groupSets;
    std::vector<std::unique_ptr<GroupInfo>> groups;
    std::vector<std::unique_ptr<ChannelInfo>> channels;
};

// Reads the channel list file at PATH and appends its records to LISTS. Returns the number of
// group sets read: 0 when the file is missing, malformed or holds none.
int LoadChannelFile(const QString& path, ChannelList& lists);
// The same for a channel list already in memory.
int LoadChannelText(const QByteArray& text, ChannelList& lists);

// The first channel whose name is exactly NAME, or none.
const ChannelInfo* FindChannelByName(const ChannelList& lists, const QString& name);

// The channel a list item stands for: CHOSEN when it is one of the records of LISTS, otherwise
// the first channel named NAME; none when neither is found.
const ChannelInfo* FindChosenChannel(const ChannelList& lists, const ChannelInfo* chosen,
                                     const QString& name);

// The channel of LISTS whose id is ID, typed with or without leading zeros; none when no channel
// has it.
const ChannelInfo* ChannelById(const ChannelList& lists, const QString& id);

// The text a channel shows in the list: long names are cut and VIP channels marked.
QString ChannelLabel(const ChannelInfo& channel);

// Shown in a group that has no channel yet.
inline const QString kEmptyGroupLabel = QStringLiteral("频道建设中，敬请关注...");
