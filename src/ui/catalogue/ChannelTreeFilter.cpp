#include "catalogue/ChannelTreeFilter.h"

#include "catalogue/CChannelTreeCtrl.h"

#include <QScrollBar>

ChannelTreeFilter::ChannelTreeFilter(CChannelTreeCtrl& tree) : m_tree(tree) {}

void ChannelTreeFilter::Index(const ChannelList& lists) {
    // The items the saved state pointed at went with the old list.
    m_active = false;
    m_expanded.clear();
    m_current = nullptr;
    m_search.Index(lists);
}

int ChannelTreeFilter::Apply(const QString& query) {
    if (ChannelSearch::Fold(query).isEmpty()) {
        Clear();
        return 0;
    }
    if (!m_active) {
        m_expanded.clear();
        for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
            QTreeWidgetItem* set = m_tree.topLevelItem(s);
            if (set->isExpanded()) {
                m_expanded.insert(set);
            }
            for (int g = 0; g < set->childCount(); ++g) {
                if (set->child(g)->isExpanded()) {
                    m_expanded.insert(set->child(g));
                }
            }
        }
        m_current = m_tree.currentItem();
        m_scroll = m_tree.verticalScrollBar()->value();
        m_active = true;
    }
    const std::vector<const ChannelInfo*> found = m_search.FindChannels(query);
    const QSet<const ChannelInfo*> matches(found.begin(), found.end());
    m_tree.setUpdatesEnabled(false);
    for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
        QTreeWidgetItem* set = m_tree.topLevelItem(s);
        bool setShows = false;
        for (int g = 0; g < set->childCount(); ++g) {
            QTreeWidgetItem* group = set->child(g);
            bool groupShows = false;
            if (!m_tree.isCollectionItem(group)) {
                for (int c = 0; c < group->childCount(); ++c) {
                    QTreeWidgetItem* item = group->child(c);
                    const bool match = matches.contains(CChannelTreeCtrl::itemChannel(item));
                    item->setHidden(!match);
                    groupShows = groupShows || match;
                }
            }
            group->setHidden(!groupShows);
            if (groupShows) {
                group->setExpanded(true);
            }
            setShows = setShows || groupShows;
        }
        set->setHidden(!setShows);
        if (setShows) {
            set->setExpanded(true);
        }
    }
    m_tree.setUpdatesEnabled(true);
    m_tree.scrollToTop();
    return static_cast<int>(matches.size());
}

void ChannelTreeFilter::Clear() {
    if (!m_active) {
        return;
    }
    m_active = false;
    // The chosen item may have gone meanwhile (the recent group is rebuilt as channels play).
    bool currentStays = false;
    m_tree.setUpdatesEnabled(false);
    for (int s = 0; s < m_tree.topLevelItemCount(); ++s) {
        QTreeWidgetItem* set = m_tree.topLevelItem(s);
        currentStays = currentStays || set == m_current;
        set->setHidden(false);
        set->setExpanded(m_expanded.contains(set));
        for (int g = 0; g < set->childCount(); ++g) {
            QTreeWidgetItem* group = set->child(g);
            group->setHidden(false);
            // The search never opened the favourites or recent group: they stay as they are.
            if (!m_tree.isCollectionItem(group)) {
                group->setExpanded(m_expanded.contains(group));
            }
            currentStays = currentStays || group == m_current;
            for (int c = 0; c < group->childCount(); ++c) {
                group->child(c)->setHidden(false);
                currentStays = currentStays || group->child(c) == m_current;
            }
        }
    }
    m_tree.setUpdatesEnabled(true);
    if (m_current != nullptr && currentStays) {
        m_tree.setCurrentItem(m_current);
    }
    m_tree.verticalScrollBar()->setValue(m_scroll);
    m_expanded.clear();
    m_current = nullptr;
}

QTreeWidgetItem* ChannelTreeFilter::firstMatch() const {
    if (!m_active) {
        return nullptr;
    }
    for (QTreeWidgetItem* item : m_tree.channelItems()) {
        if (!item->isHidden()) {
            return item;
        }
    }
    return nullptr;
}
