#pragma once

#include "catalogue/CChannelTreeCtrl.h"

#include <QList>

// Every row of the tree's list, hidden by a search or not, depth first in the list's order.
inline QList<const ChannelNode*> AllRows(const CChannelTreeCtrl* tree) {
    QList<const ChannelNode*> rows;
    const auto walk = [&rows](const auto& self, const ChannelNode* row) -> void {
        rows.append(row);
        for (int c = 0; c < row->childCount(); ++c) {
            self(self, row->child(c));
        }
    };
    for (int s = 0; s < tree->topLevelItemCount(); ++s) {
        walk(walk, tree->topLevelItem(s));
    }
    return rows;
}
