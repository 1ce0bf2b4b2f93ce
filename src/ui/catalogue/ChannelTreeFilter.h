#pragma once

#include "catalogue/ChannelSearch.h"

#include <QSet>
#include <QString>

#include <memory>

class CChannelTreeCtrl;
class ChannelNode;

// Narrows the channel tree to what a search finds: only the matching channels show, under their
// group sets and groups, which open; the favourites and recent groups step aside so every
// channel shows once, in the list's order. Clearing the search puts the tree back as it was:
// the same groups open, the same item chosen, the same place in the list.
class ChannelTreeFilter {
public:
    explicit ChannelTreeFilter(CChannelTreeCtrl& tree);

    // Indexes a newly filled list, or takes READY, an index of it already made; a search in
    // progress ends with it.
    void Index(const ChannelList& lists, std::shared_ptr<const ChannelSearch> ready = {});
    // Shows what QUERY finds (an empty one ends the search); returns how many channels match.
    int Apply(const QString& query);
    // Ends the search and restores the tree.
    void Clear();
    bool active() const { return m_active; }
    // The first channel the search shows, or none.
    const ChannelNode* firstMatch() const;

private:
    CChannelTreeCtrl& m_tree;
    std::shared_ptr<const ChannelSearch> m_search = std::make_shared<const ChannelSearch>();
    bool m_active = false;
    // The tree as it was before the search began. The favourites and recent groups may be
    // rebuilt while it runs, so theirs is kept by name.
    QSet<const ChannelNode*> m_expanded;
    QSet<QString> m_closedCollections;
    const ChannelNode* m_current = nullptr;
    int m_scroll = 0;
};
