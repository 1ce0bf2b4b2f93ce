#pragma once

class CChannelTreeCtrl;
class CGifDlg;
class ChannelNode;
class Clock;

// The animated mark beside one group's name in the channel list: its idle picture, or its chosen
// one while the group is the chosen row. It follows its group's row as the list scrolls, opens and
// closes, and hides while the row is out of view.
class GroupMark {
public:
    GroupMark(int idle, int chosen) : idleGif(idle), chosenGif(chosen) {}

    const int idleGif;
    const int chosenGif;

    const ChannelNode* group() const { return m_group; }
    void setGroup(const ChannelNode* group) { m_group = group; }
    CGifDlg* widget() const { return m_widget; }
    // The picture shown (0: none yet).
    int shownGif() const { return m_shown; }

    // Makes the mark's window over TREE's rows, once, and places it.
    void create(Clock& clock, CChannelTreeCtrl& tree);
    // Shows GIF (0: the picture shown) at the group's row of TREE.
    void place(const CChannelTreeCtrl& tree, int gif);

private:
    const ChannelNode* m_group = nullptr;
    CGifDlg* m_widget = nullptr;  // owned by the list's viewport
    int m_shown = 0;
};
