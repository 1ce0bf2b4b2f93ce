#include "catalogue/ChannelList.h"

#include "common/CXmlDoc.h"
#include "common/Cipher.h"

#include <limits>

namespace {

// The same id whether it is typed with or without leading zeros.
bool sameId(const QString& typed, QStringView id) {
    const QStringView trimmed = id.trimmed();
    if (typed == trimmed) {
        return true;
    }
    bool typedNumber = false;
    bool idNumber = false;
    const qlonglong a = typed.toLongLong(&typedNumber);
    const qlonglong b = trimmed.toLongLong(&idNumber);
    return typedNumber && idNumber && a == b;
}

int readChannels(CXmlDoc& doc, ChannelList& lists) {
    doc.ResetPos();
    int setCounter = 0;
    int groupCounter = 0;
    while (doc.FindChild("groups")) {
        auto set = std::make_unique<GroupSetInfo>();
        set->index = setCounter;
        set->name = doc.GetChildAttrUtf8("name");
        lists.groupSets.push_back(std::move(set));
        doc.Enter();
        while (doc.FindChild("group")) {
            auto owned = std::make_unique<GroupInfo>();
            GroupInfo& group = *owned;
            group.setIndex = setCounter;
            group.groupIndex = groupCounter;
            group.name = doc.GetChildAttrUtf8("name");
            lists.groups.push_back(std::move(owned));
            doc.Enter();
            while (doc.FindChild("channel")) {
                const QString id = doc.GetChildAttrUtf8("id");
                int groupIndex = 0;
                QString name;
                QString vip;
                QString address;
                if (doc.Enter()) {
                    groupIndex = groupCounter;
                    group.hasChannels = true;
                    // Each search goes on after the previous one: name, vip, zar_address.
                    if (doc.FindChild("name")) {
                        name = doc.GetChildTextUtf8();
                    }
                    if (doc.FindChild("vip")) {
                        vip = doc.GetChildTextUtf8();
                    }
                    if (doc.FindChild("zar_address")) {
                        doc.Enter();
                        if (doc.FindChild("item")) {
                            const QString item = doc.GetChildTextUtf8();
                            if (!item.isEmpty()) {
                                address = DecryptText(item);
                            }
                        }
                        doc.Leave();
                    }
                    doc.Leave();
                }
                lists.channels.push_back(
                    std::make_unique<ChannelInfo>(groupIndex, id, name, vip, address));
            }
            doc.Leave();
            ++groupCounter;
        }
        doc.Leave();
        ++setCounter;
    }
    return setCounter;
}

}  // namespace

ChannelInfo::ChannelInfo(int group, QStringView id, QStringView name, QStringView vip,
                         QStringView address)
    : groupIndex(group) {
    // A document's texts are far below 2 GB; a record that would not fit its 32-bit ends keeps
    // no text rather than wrong ones.
    const qsizetype total = id.size() + name.size() + vip.size() + address.size();
    if (total > std::numeric_limits<std::int32_t>::max()) {
        return;
    }
    // Reserved to the exact size, so the one allocation holds no spare room.
    m_text.reserve(total);
    m_text.append(id);
    m_idEnd = static_cast<std::int32_t>(m_text.size());
    m_text.append(name);
    m_nameEnd = static_cast<std::int32_t>(m_text.size());
    m_text.append(vip);
    m_vipEnd = static_cast<std::int32_t>(m_text.size());
    m_text.append(address);
}

int LoadChannelFile(const QString& path, ChannelList& lists) {
    CXmlDoc doc;
    // A file that does not load leaves an empty document, in which nothing is found.
    doc.LoadFile(path);
    return readChannels(doc, lists);
}

int LoadChannelText(const QByteArray& text, ChannelList& lists) {
    CXmlDoc doc;
    doc.Parse(text);
    return readChannels(doc, lists);
}

const ChannelInfo* FindChannelByName(const ChannelList& lists, const QString& name) {
    for (const auto& channel : lists.channels) {
        if (channel->name() == name) {
            return channel.get();
        }
    }
    return nullptr;
}

const ChannelInfo* FindChosenChannel(const ChannelList& lists, const ChannelInfo* chosen,
                                     const QString& name) {
    if (chosen != nullptr) {
        for (const auto& record : lists.channels) {
            if (record.get() == chosen) {
                return chosen;
            }
        }
    }
    return FindChannelByName(lists, name);
}

const ChannelInfo* ChannelById(const ChannelList& lists, const QString& id) {
    const QString typed = id.trimmed();
    if (typed.isEmpty()) {
        return nullptr;
    }
    for (const auto& channel : lists.channels) {
        if (sameId(typed, channel->id())) {
            return channel.get();
        }
    }
    return nullptr;
}

QString ChannelLabel(const ChannelInfo& channel) {
    const bool vip = channel.vip() != QLatin1String("0");
    const qsizetype limit = vip ? 16 : 18;
    const QStringView name = channel.name();
    QString label =
        name.size() > limit ? name.first(limit).toString() + QStringLiteral("..") : name.toString();
    if (vip) {
        label += QStringLiteral("  VIP");
    }
    return label;
}
