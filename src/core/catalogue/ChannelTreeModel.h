#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class ChannelInfo;
struct ChannelList;
class ChannelTreeModel;

// One row of the channel tree: a group set, a group, a channel or the note of an empty group.
// A list may hold a hundred thousand channels, so a channel's row keeps only the record it shows
// and gives its label from it when asked. Rows belong to their model, which alone changes them.
class ChannelNode {
public:
    // The text shown in the row.
    QString text(int column = 0) const;
    // The channel the row plays, or none (sets, groups and the note of an empty group).
    const ChannelInfo* channel() const { return m_channel; }
    const ChannelNode* parent() const { return m_parent; }
    int childCount() const {
        return m_extra != nullptr ? static_cast<int>(m_extra->children.size()) : 0;
    }
    const ChannelNode* child(int row) const {
        return row >= 0 && row < childCount() ? m_extra->children[static_cast<size_t>(row)].get()
                                              : nullptr;
    }
    // The row's place under its parent.
    int row() const { return m_row; }
    // How many levels down the row sits: 0 for a group set.
    int depth() const;
    // The marks beside the row's text, by bitmap number (0: none): normal and selected.
    int firstBitmap() const { return m_firstBitmap; }
    int secondBitmap() const { return m_secondBitmap; }
    // One of the user's own groups (favourites, recently watched) rather than the list's.
    bool isCollection() const { return m_extra != nullptr && m_extra->collection; }

private:
    friend class ChannelTreeModel;
    using Rows = std::vector<std::unique_ptr<ChannelNode>>;

    // What only group sets, groups and rows given a text of their own have: a channel's row is
    // a few pointers, as a hundred thousand of them must be.
    struct Extra {
        QString text;
        bool hasText = false;  // a channel's row shows its record's label unless given a text
        bool collection = false;
        Rows children;
    };
    Extra& extra();
    Rows& rows() { return extra().children; }
    void setText(const QString& text);

    ChannelNode* m_parent = nullptr;
    const ChannelInfo* m_channel = nullptr;
    std::unique_ptr<Extra> m_extra;
    int m_row = 0;
    std::uint16_t m_firstBitmap = 0;
    std::uint16_t m_secondBitmap = 0;
};

// The channel list as a tree of group sets, groups and channels, in the list's order, with the
// user's favourites and recently watched channels as groups at the top, above every group set.
// One column; the display role is the row's text.
class ChannelTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role : int {
        kChannelRole = Qt::UserRole + 1,  // the ChannelInfo, as a const void*
        kNodeRole,                        // the ChannelNode, as a const void*
        kFirstBitmapRole,
        kSecondBitmapRole,
    };

    explicit ChannelTreeModel(QObject* parent = nullptr);
    ~ChannelTreeModel() override;

    // Replaces everything with the group sets, groups and channels of LISTS; a group without
    // channels holds the note that says so. The records must outlive the rows.
    void Fill(const ChannelList& lists);
    void Clear();
    // Appends a row under PARENT (a group set when none) with TEXT and bitmaps for its normal
    // and selected mark.
    const ChannelNode* Append(const ChannelNode* parent, const QString& text, int firstBitmap,
                              int secondBitmap);
    // Ties ROW to the channel it plays, so playing it never depends on its label.
    void SetChannel(const ChannelNode* row, const ChannelInfo* channel);
    // Puts a group named NAME holding CHANNELS at place INDEX of the top of the list, above every
    // group set, in place of GROUP (which may be none); with no channel, or no group set, there
    // is no group. Returns the new group or none.
    const ChannelNode* ReplaceGroup(const ChannelNode* group, const QString& name, int index,
                                    const std::vector<const ChannelInfo*>& channels);

    int groupSetCount() const { return static_cast<int>(m_sets.size()); }
    const ChannelNode* groupSet(int row) const {
        return row >= 0 && row < groupSetCount() ? m_sets[static_cast<size_t>(row)].get() : nullptr;
    }
    // The group named NAME that has rows (the last when several have the name), or none.
    const ChannelNode* groupNamed(const QString& name) const;
    // The rows of the list's own channels in list order, the user's groups left out.
    QList<const ChannelNode*> channelRows() const;
    // The list's own row of CHANNEL, or none.
    const ChannelNode* rowOf(const ChannelInfo* channel) const;
    // ROW is one of the user's groups or one of their rows.
    static bool inCollection(const ChannelNode* row);

    // The row marked as playing (none: nothing plays). A screen reader hears the mark with the
    // row's text, as a viewer sees it beside the row.
    const ChannelNode* playingRow() const { return m_playing; }
    void setPlayingRow(const ChannelNode* row);
    inline static const QString kPlayingMark = QStringLiteral("、再生中");

    QModelIndex indexOf(const ChannelNode* row) const;
    static const ChannelNode* nodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ChannelNode::Rows& childrenOf(ChannelNode* parent);
    // Appends a row for each of CHANNELS to GROUP.
    static void addChannels(ChannelNode& group, const std::vector<const ChannelInfo*>& channels);
    static void renumber(ChannelNode::Rows& rows, size_t from);

    ChannelNode::Rows m_sets;
    const ChannelNode* m_playing = nullptr;  // compared, never followed
};
