#include "catalogue/ChannelList.h"

#include "common/CXmlDoc.h"
#include "common/Cipher.h"

namespace {

// The same id whether it is typed with or without leading zeros.
bool sameId(const QString& typed, const QString& id) {
    const QString trimmed = id.trimmed();
    if (typed == trimmed) {
        return true;
    }
    bool typedNumber = false;
    bool idNumber = false;
    const qlonglong a = typed.toLongLong(&typedNumber);
    const qlonglong b = trimmed.toLongLong(&idNumber);
    return typedNumber && idNumber && a == b;
}

// Nearly every channel's VIP flag is "0" or "1": those share one string instead of holding one
// each, which a list of a hundred thousand channels feels.
QString SharedVip(const QString& vip) {
    static const QString kNo = QStringLiteral("0");
    static const QString kYes = QStringLiteral("1");
    if (vip == kNo) {
        return kNo;
    }
    return vip == kYes ? kYes : vip;
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
                auto channel = std::make_unique<ChannelInfo>();
                channel->id = doc.GetChildAttrUtf8("id");
                if (doc.Enter()) {
                    channel->groupIndex = groupCounter;
                    group.hasChannels = true;
                    // Each search goes on after the previous one: name, vip, zar_address.
                    if (doc.FindChild("name")) {
                        channel->name = doc.GetChildTextUtf8();
                    }
                    if (doc.FindChild("vip")) {
                        channel->vip = SharedVip(doc.GetChildTextUtf8());
                    }
                    if (doc.FindChild("zar_address")) {
                        doc.Enter();
                        if (doc.FindChild("item")) {
                            const QString item = doc.GetChildTextUtf8();
                            if (!item.isEmpty()) {
                                channel->address = DecryptText(item);
                            }
                        }
                        doc.Leave();
                    }
                    doc.Leave();
                }
                lists.channels.push_back(std::move(channel));
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
        if (channel->name == name) {
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
        if (sameId(typed, channel->id)) {
            return channel.get();
        }
    }
    return nullptr;
}

QString ChannelLabel(const ChannelInfo& channel) {
    const bool vip = channel.vip != QLatin1String("0");
    const qsizetype limit = vip ? 16 : 18;
    QString label = channel.name;
    if (label.size() > limit) {
        label = label.left(limit) + QStringLiteral("..");
    }
    if (vip) {
        label += QStringLiteral("  VIP");
    }
    return label;
}
