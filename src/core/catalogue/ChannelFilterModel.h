#pragma once

#include <QSet>
#include <QSortFilterProxyModel>

class ChannelInfo;
class ChannelNode;
class ChannelTreeModel;

// The channel tree as a search narrows it: only the channels found show, under their group sets
// and groups; the favourites and recent groups and the notes of empty groups step aside, so each
// channel shows once, in the list's order. Without a search every row shows.
class ChannelFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ChannelFilterModel(ChannelTreeModel& source, QObject* parent = nullptr);

    // Shows only the channels in MATCHES.
    void Show(const QSet<const ChannelInfo*>& matches);
    // Shows every row again.
    void ShowAll();
    bool active() const { return m_active; }

    // The row of the source as this model shows it: invalid while the search hides it.
    QModelIndex indexOf(const ChannelNode* row) const;
    const ChannelNode* nodeOf(const QModelIndex& index) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    ChannelTreeModel& m_source;
    bool m_active = false;
    QSet<const ChannelInfo*> m_matches;
};
