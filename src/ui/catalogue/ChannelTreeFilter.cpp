#include "catalogue/ChannelTreeFilter.h"

#include "catalogue/CChannelTreeCtrl.h"

#include <QScrollBar>

ChannelTreeFilter::ChannelTreeFilter(CChannelTreeCtrl& tree) : m_tree(tree) {}

void ChannelTreeFilter::Index(const ChannelList& lists,
                              std::shared_ptr<const ChannelSearch> ready) {
    // The rows the saved state pointed at went with the old list.
    m_active = false;
    m_expanded.clear();
    m_closedCollections.clear();
    m_current = nullptr;
    m_tree.showFiltered(false);
    m_tree.filterModel().ShowAll();
    m_search = ready != nullptr ? std::move(ready) : std::make_shared<const ChannelSearch>(lists);
}

int ChannelTreeFilter::Apply(const QString& query) {
    if (ChannelSearch::Fold(query).isEmpty()) {
        Clear();
        return 0;
    }
    if (!m_active) {
        m_expanded.clear();
        m_closedCollections.clear();
        for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
            const ChannelNode* set = m_tree.topLevelItem(s);
            if (m_tree.isItemExpanded(set)) {
                m_expanded.insert(set);
            } else if (m_tree.isCollectionItem(set)) {
                m_closedCollections.insert(set->text());
            }
            for (int g = 0; g < set->childCount(); ++g) {
                const ChannelNode* group = set->child(g);
                if (m_tree.isItemExpanded(group)) {
                    m_expanded.insert(group);
                }
            }
        }
        m_current = m_tree.currentItem();
        m_scroll = m_tree.verticalScrollBar()->value();
        m_active = true;
    }
    const std::vector<const ChannelInfo*> found = m_search->FindChannels(query);
    const QSet<const ChannelInfo*> matches(found.begin(), found.end());
    m_tree.filterModel().Show(matches);
    m_tree.showFiltered(true);
    // What shows opens: the sets and groups the search left.
    for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
        const ChannelNode* set = m_tree.topLevelItem(s);
        m_tree.setItemExpanded(set, true);
        for (int g = 0; g < set->childCount(); ++g) {
            m_tree.setItemExpanded(set->child(g), true);
        }
    }
    m_tree.scrollToTop();
    return static_cast<int>(matches.size());
}

void ChannelTreeFilter::Clear() {
    if (!m_active) {
        return;
    }
    m_active = false;
    m_tree.showFiltered(false);
    m_tree.filterModel().ShowAll();
    // The view starts afresh on the list's own rows: every set and group opens or stays closed as
    // it was, and the chosen row comes back, if it is still there (the recent group is rebuilt
    // as channels play).
    bool currentStays = false;
    for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
        const ChannelNode* set = m_tree.topLevelItem(s);
        currentStays = currentStays || set == m_current;
        // The search never opened the favourites or recent group: they stay as they were, even
        // when they were made again meanwhile.
        m_tree.setItemExpanded(set, m_tree.isCollectionItem(set)
                                        ? !m_closedCollections.contains(set->text())
                                        : m_expanded.contains(set));
        for (int g = 0; g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            m_tree.setItemExpanded(group, m_expanded.contains(group));
            currentStays = currentStays || group == m_current;
            for (int c = 0; c < group->childCount() && !currentStays; ++c) {
                currentStays = group->child(c) == m_current;
            }
        }
    }
    if (m_current != nullptr && currentStays) {
        m_tree.setCurrentItem(m_current);
    }
    m_tree.layOutNow();
    m_tree.verticalScrollBar()->setValue(m_scroll);
    m_expanded.clear();
    m_closedCollections.clear();
    m_current = nullptr;
}

const ChannelNode* ChannelTreeFilter::firstMatch() const {
    if (!m_active) {
        return nullptr;
    }
    for (const ChannelNode* item : m_tree.channelItems()) {
        if (!m_tree.isItemHidden(item)) {
            return item;
        }
    }
    return nullptr;
}
