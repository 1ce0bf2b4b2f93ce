#include "catalogue/ChannelTreeModel.h"

#include "catalogue/ChannelList.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace {

constexpr int kChannelMark = 177;
constexpr int kChannelMarkSelected = 176;

}  // namespace

QString ChannelNode::text(int /*column*/) const {
    if (m_extra != nullptr && m_extra->hasText) {
        return m_extra->text;
    }
    return m_channel != nullptr ? ChannelLabel(*m_channel) : QString();
}

ChannelNode::Extra& ChannelNode::extra() {
    if (m_extra == nullptr) {
        m_extra = std::make_unique<Extra>();
    }
    return *m_extra;
}

void ChannelNode::setText(const QString& text) {
    extra().text = text;
    m_extra->hasText = true;
}

int ChannelNode::depth() const {
    int depth = 0;
    for (const ChannelNode* up = m_parent; up != nullptr; up = up->m_parent) {
        ++depth;
    }
    return depth;
}

ChannelTreeModel::ChannelTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

ChannelTreeModel::~ChannelTreeModel() = default;

void ChannelTreeModel::Fill(const ChannelList& lists) {
    beginResetModel();
    m_sets.clear();
    m_playing = nullptr;
    // One pass sorts the channels by group and the groups by set, so filling costs as much as
    // the list is long.
    QHash<int, std::vector<const ChannelInfo*>> channelsOf;
    for (const auto& channel : lists.channels) {
        channelsOf[channel->groupIndex].push_back(channel.get());
    }
    QHash<int, std::vector<const GroupInfo*>> groupsOf;
    for (const auto& group : lists.groups) {
        groupsOf[group->setIndex].push_back(group.get());
    }
    m_sets.reserve(lists.groupSets.size());
    for (const auto& set : lists.groupSets) {
        auto setNode = std::make_unique<ChannelNode>();
        setNode->m_row = static_cast<int>(m_sets.size());
        setNode->setText(set->name);
        for (const GroupInfo* group : groupsOf.value(set->index)) {
            auto groupNode = std::make_unique<ChannelNode>();
            groupNode->m_parent = setNode.get();
            groupNode->m_row = static_cast<int>(setNode->rows().size());
            groupNode->setText(group->name);
            const auto found = channelsOf.constFind(group->groupIndex);
            if (group->hasChannels && found != channelsOf.constEnd()) {
                addChannels(*groupNode, *found);
            } else if (!group->hasChannels) {
                auto note = std::make_unique<ChannelNode>();
                note->m_parent = groupNode.get();
                note->setText(kEmptyGroupLabel);
                note->m_firstBitmap = kChannelMark;
                note->m_secondBitmap = kChannelMarkSelected;
                groupNode->rows().push_back(std::move(note));
            }
            setNode->rows().push_back(std::move(groupNode));
        }
        m_sets.push_back(std::move(setNode));
    }
    endResetModel();
}

void ChannelTreeModel::addChannels(ChannelNode& group,
                                   const std::vector<const ChannelInfo*>& channels) {
    ChannelNode::Rows& rows = group.rows();
    rows.reserve(rows.size() + channels.size());
    for (const ChannelInfo* channel : channels) {
        auto row = std::make_unique<ChannelNode>();
        row->m_parent = &group;
        row->m_row = static_cast<int>(rows.size());
        row->m_firstBitmap = kChannelMark;
        row->m_secondBitmap = kChannelMarkSelected;
        row->m_channel = channel;
        rows.push_back(std::move(row));
    }
}

void ChannelTreeModel::Clear() {
    beginResetModel();
    m_sets.clear();
    m_playing = nullptr;
    endResetModel();
}

ChannelNode::Rows& ChannelTreeModel::childrenOf(ChannelNode* parent) {
    return parent != nullptr ? parent->rows() : m_sets;
}

void ChannelTreeModel::renumber(ChannelNode::Rows& rows, size_t from) {
    for (size_t i = from; i < rows.size(); ++i) {
        rows[i]->m_row = static_cast<int>(i);
    }
}

const ChannelNode* ChannelTreeModel::Append(const ChannelNode* parent, const QString& text,
                                            int firstBitmap, int secondBitmap) {
    auto* owner = const_cast<ChannelNode*>(parent);
    auto& rows = childrenOf(owner);
    const int at = static_cast<int>(rows.size());
    beginInsertRows(indexOf(parent), at, at);
    auto row = std::make_unique<ChannelNode>();
    row->m_parent = owner;
    row->m_row = at;
    row->setText(text);
    row->m_firstBitmap = static_cast<std::uint16_t>(firstBitmap);
    row->m_secondBitmap = static_cast<std::uint16_t>(secondBitmap);
    const ChannelNode* added = row.get();
    rows.push_back(std::move(row));
    endInsertRows();
    return added;
}

void ChannelTreeModel::SetChannel(const ChannelNode* row, const ChannelInfo* channel) {
    if (row == nullptr) {
        return;
    }
    const_cast<ChannelNode*>(row)->m_channel = channel;
    const QModelIndex at = indexOf(row);
    emit dataChanged(at, at);
}

const ChannelNode* ChannelTreeModel::ReplaceGroup(const ChannelNode* group, const QString& name,
                                                  int index,
                                                  const std::vector<const ChannelInfo*>& channels) {
    auto& groups = m_sets;
    if (group != nullptr && group->m_parent == nullptr && group->isCollection()) {
        const int row = group->m_row;
        // A mark on a row that goes would point at nothing; the caller puts it where it belongs.
        if (m_playing != nullptr && (m_playing == group || m_playing->parent() == group)) {
            m_playing = nullptr;
        }
        beginRemoveRows({}, row, row);
        groups.erase(groups.begin() + row);
        renumber(groups, static_cast<size_t>(row));
        endRemoveRows();
    }
    const bool listShown = std::any_of(groups.begin(), groups.end(),
                                       [](const auto& set) { return !set->isCollection(); });
    if (channels.empty() || !listShown) {
        return nullptr;
    }
    auto node = std::make_unique<ChannelNode>();
    node->setText(name);
    node->extra().collection = true;
    addChannels(*node, channels);
    const int at = std::clamp(index, 0, static_cast<int>(groups.size()));
    const ChannelNode* added = node.get();
    beginInsertRows({}, at, at);
    groups.insert(groups.begin() + at, std::move(node));
    renumber(groups, static_cast<size_t>(at));
    endInsertRows();
    return added;
}

const ChannelNode* ChannelTreeModel::groupNamed(const QString& name) const {
    const ChannelNode* found = nullptr;
    for (const auto& set : m_sets) {
        for (int g = 0; g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            if (group->childCount() > 0 && group->text() == name) {
                found = group;
            }
        }
    }
    return found;
}

QList<const ChannelNode*> ChannelTreeModel::channelRows() const {
    QList<const ChannelNode*> rows;
    for (const auto& set : m_sets) {
        for (int g = 0; !set->isCollection() && g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            for (int c = 0; c < group->childCount(); ++c) {
                if (group->child(c)->channel() != nullptr) {
                    rows.append(group->child(c));
                }
            }
        }
    }
    return rows;
}

const ChannelNode* ChannelTreeModel::rowOf(const ChannelInfo* channel) const {
    for (const auto& set : m_sets) {
        for (int g = 0; channel != nullptr && !set->isCollection() && g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            for (int c = 0; c < group->childCount(); ++c) {
                if (group->child(c)->channel() == channel) {
                    return group->child(c);
                }
            }
        }
    }
    return nullptr;
}

bool ChannelTreeModel::inCollection(const ChannelNode* row) {
    if (row == nullptr) {
        return false;
    }
    const ChannelNode* group =
        row->parent() != nullptr && row->childCount() == 0 ? row->parent() : row;
    return group != nullptr && group->isCollection();
}

void ChannelTreeModel::setPlayingRow(const ChannelNode* row) {
    const ChannelNode* before = std::exchange(m_playing, row);
    if (before == row) {
        return;
    }
    for (const ChannelNode* changed : {before, row}) {
        if (changed != nullptr) {
            const QModelIndex at = indexOf(changed);
            emit dataChanged(at, at, {Qt::AccessibleTextRole});
        }
    }
}

QModelIndex ChannelTreeModel::indexOf(const ChannelNode* row) const {
    return row != nullptr ? createIndex(row->m_row, 0, const_cast<ChannelNode*>(row))
                          : QModelIndex();
}

const ChannelNode* ChannelTreeModel::nodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<const ChannelNode*>(index.internalPointer()) : nullptr;
}

QModelIndex ChannelTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    const ChannelNode* owner = nodeOf(parent);
    const ChannelNode* found = owner != nullptr ? owner->child(row) : groupSet(row);
    return found != nullptr ? createIndex(row, 0, const_cast<ChannelNode*>(found)) : QModelIndex();
}

QModelIndex ChannelTreeModel::parent(const QModelIndex& child) const {
    const ChannelNode* row = nodeOf(child);
    return row != nullptr ? indexOf(row->m_parent) : QModelIndex();
}

int ChannelTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    const ChannelNode* owner = nodeOf(parent);
    return owner != nullptr ? owner->childCount() : groupSetCount();
}

int ChannelTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

bool ChannelTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant ChannelTreeModel::data(const QModelIndex& index, int role) const {
    const ChannelNode* row = nodeOf(index);
    if (row == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return row->text();
        case Qt::AccessibleTextRole:
            return row == m_playing ? row->text() + kPlayingMark : row->text();
        case kChannelRole:
            return QVariant::fromValue(static_cast<const void*>(row->m_channel));
        case kNodeRole:
            return QVariant::fromValue(static_cast<const void*>(row));
        case kFirstBitmapRole:
            return row->m_firstBitmap;
        case kSecondBitmapRole:
            return row->m_secondBitmap;
        default:
            return {};
    }
}

Qt::ItemFlags ChannelTreeModel::flags(const QModelIndex& index) const {
    const ChannelNode* row = nodeOf(index);
    if (row == nullptr) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A channel never opens: the view need not ask it for rows.
    if (row->m_channel != nullptr && row->childCount() == 0) {
        flags |= Qt::ItemNeverHasChildren;
    }
    return flags;
}
