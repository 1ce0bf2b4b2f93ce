#include "catalogue/ChannelTreeModel.h"

#include "catalogue/ChannelList.h"

#include <QHash>

#include <algorithm>

namespace {

constexpr int kChannelMark = 177;
constexpr int kChannelMarkSelected = 176;

}  // namespace

QString ChannelNode::text(int /*column*/) const {
    if (!m_hasText && m_channel != nullptr) {
        return ChannelLabel(*m_channel);
    }
    return m_text;
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
        setNode->m_hasText = true;
        setNode->m_text = set->name;
        for (const GroupInfo* group : groupsOf.value(set->index)) {
            auto groupNode = std::make_unique<ChannelNode>();
            groupNode->m_parent = setNode.get();
            groupNode->m_row = static_cast<int>(setNode->m_children.size());
            groupNode->m_hasText = true;
            groupNode->m_text = group->name;
            const auto found = channelsOf.constFind(group->groupIndex);
            if (group->hasChannels && found != channelsOf.constEnd()) {
                groupNode->m_children.reserve(found->size());
                for (const ChannelInfo* channel : *found) {
                    auto row = std::make_unique<ChannelNode>();
                    row->m_parent = groupNode.get();
                    row->m_row = static_cast<int>(groupNode->m_children.size());
                    row->m_firstBitmap = kChannelMark;
                    row->m_secondBitmap = kChannelMarkSelected;
                    row->m_channel = channel;
                    groupNode->m_children.push_back(std::move(row));
                }
            } else if (!group->hasChannels) {
                auto note = std::make_unique<ChannelNode>();
                note->m_parent = groupNode.get();
                note->m_hasText = true;
                note->m_text = kEmptyGroupLabel;
                note->m_firstBitmap = kChannelMark;
                note->m_secondBitmap = kChannelMarkSelected;
                groupNode->m_children.push_back(std::move(note));
            }
            setNode->m_children.push_back(std::move(groupNode));
        }
        m_sets.push_back(std::move(setNode));
    }
    endResetModel();
}

void ChannelTreeModel::Clear() {
    beginResetModel();
    m_sets.clear();
    endResetModel();
}

std::vector<std::unique_ptr<ChannelNode>>& ChannelTreeModel::childrenOf(ChannelNode* parent) {
    return parent != nullptr ? parent->m_children : m_sets;
}

void ChannelTreeModel::renumber(std::vector<std::unique_ptr<ChannelNode>>& rows, size_t from) {
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
    row->m_hasText = true;
    row->m_text = text;
    row->m_firstBitmap = firstBitmap;
    row->m_secondBitmap = secondBitmap;
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
    if (m_sets.empty()) {
        return nullptr;
    }
    ChannelNode* set = m_sets.front().get();
    auto& groups = set->m_children;
    const QModelIndex setIndex = indexOf(set);
    if (group != nullptr && group->m_parent == set) {
        const int row = group->m_row;
        beginRemoveRows(setIndex, row, row);
        groups.erase(groups.begin() + row);
        renumber(groups, static_cast<size_t>(row));
        endRemoveRows();
    }
    if (channels.empty()) {
        return nullptr;
    }
    auto node = std::make_unique<ChannelNode>();
    node->m_parent = set;
    node->m_hasText = true;
    node->m_text = name;
    node->m_collection = true;
    node->m_children.reserve(channels.size());
    for (const ChannelInfo* channel : channels) {
        auto row = std::make_unique<ChannelNode>();
        row->m_parent = node.get();
        row->m_row = static_cast<int>(node->m_children.size());
        row->m_firstBitmap = kChannelMark;
        row->m_secondBitmap = kChannelMarkSelected;
        row->m_channel = channel;
        node->m_children.push_back(std::move(row));
    }
    const int at = std::clamp(index, 0, static_cast<int>(groups.size()));
    const ChannelNode* added = node.get();
    beginInsertRows(setIndex, at, at);
    groups.insert(groups.begin() + at, std::move(node));
    renumber(groups, static_cast<size_t>(at));
    endInsertRows();
    return added;
}

const ChannelNode* ChannelTreeModel::groupNamed(const QString& name) const {
    const ChannelNode* found = nullptr;
    for (const auto& set : m_sets) {
        for (const auto& group : set->m_children) {
            if (group->childCount() > 0 && group->m_text == name) {
                found = group.get();
            }
        }
    }
    return found;
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
    if (row->m_channel != nullptr && row->m_children.empty()) {
        flags |= Qt::ItemNeverHasChildren;
    }
    return flags;
}
