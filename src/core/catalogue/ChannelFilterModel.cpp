#include "catalogue/ChannelFilterModel.h"

#include "catalogue/ChannelTreeModel.h"

ChannelFilterModel::ChannelFilterModel(ChannelTreeModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    // A set or group shows while one of its channels does.
    setRecursiveFilteringEnabled(true);
    setSourceModel(&source);
}

void ChannelFilterModel::Show(const QSet<const ChannelInfo*>& matches) {
    m_active = true;
    m_matches = matches;
    // The whole tree is filtered again at once: one new layout for the view, not one per group.
    invalidate();
}

void ChannelFilterModel::ShowAll() {
    if (!m_active) {
        return;
    }
    m_active = false;
    m_matches.clear();
    invalidate();
}

QModelIndex ChannelFilterModel::indexOf(const ChannelNode* row) const {
    return row != nullptr ? mapFromSource(m_source.indexOf(row)) : QModelIndex();
}

const ChannelNode* ChannelFilterModel::nodeOf(const QModelIndex& index) const {
    return ChannelTreeModel::nodeOf(mapToSource(index));
}

bool ChannelFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (!m_active) {
        return true;
    }
    const ChannelNode* owner = ChannelTreeModel::nodeOf(sourceParent);
    const ChannelNode* row =
        owner != nullptr ? owner->child(sourceRow) : m_source.groupSet(sourceRow);
    if (row == nullptr || row->channel() == nullptr || row->childCount() > 0) {
        return false;  // a set or group shows through its channels alone
    }
    return !(owner != nullptr && owner->isCollection()) && m_matches.contains(row->channel());
}
