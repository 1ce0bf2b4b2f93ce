#include "mainwnd/CChannelNavigator.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "mainwnd/CChannelZapper.h"
#include "mainwnd/CSidePanel.h"
#include "platform/Clock.h"
#include "service/SessionRecord.h"
#include "session/NowPlaying.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTextEdit>

namespace {

constexpr int kOverlayShownMs = 3000;
const QColor kOverlayText(104, 176, 48);

}  // namespace

CChannelNavigator::CChannelNavigator(const SessionRecord& session, NowPlaying& nowPlaying,
                                     Clock& clock, const QString& statePath, QWidget* window,
                                     CChannelTreeCtrl* tree)
    : QObject(window),
      m_session(session),
      m_nowPlaying(nowPlaying),
      m_window(window),
      m_tree(tree),
      m_state(statePath.isEmpty() ? UserState::defaultPath() : statePath) {
    m_state.load();
    m_zapper = new CChannelZapper(clock, m_nowPlaying, window, tree);
    // What plays is the owner's to say; a started channel becomes the latest watched.
    connect(&m_nowPlaying, &NowPlaying::started, this, &CChannelNavigator::played);
    tree->isFavourite = [this](const ChannelInfo* channel) {
        return m_state.favourites(serviceId()).contains(channel->id());
    };
    connect(tree, &CChannelTreeCtrl::favouriteToggled, this, [this](const ChannelInfo* channel) {
        if (channel == nullptr || serviceId().isEmpty()) {
            return;
        }
        m_state.toggleFavourite(serviceId(), channel->id().toString());
        m_state.save();
        showCollections();
    });
    connect(tree, &CChannelTreeCtrl::groupToggled, this, [this] {
        rememberCollapsed();
        m_state.save();
    });
}

QString CChannelNavigator::serviceId() const {
    return m_session.IsSignedIn() != 0 ? m_session.GetUserId() : QString();
}

bool CChannelNavigator::restoreWindow() {
    const QRect saved = m_state.geometry;
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->availableGeometry().intersects(saved);
    }
    // A window saved on a screen that is gone starts where a new one does.
    if (!saved.isEmpty() && onScreen) {
        m_window->setGeometry(saved);
    }
    if (m_state.maximised) {
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }
    return !m_state.sidePanelShown;
}

void CChannelNavigator::saveWindow(bool sidePanelHidden) {
    const bool maximised = m_window->isMaximized();
    QRect geometry = maximised ? m_window->normalGeometry() : m_window->geometry();
    // Saved as the window is with its side panel, which hiding the panel takes off again.
    if (sidePanelHidden && !maximised) {
        geometry.setWidth(geometry.width() + CSidePanel::kWidth);
    }
    if (!geometry.isEmpty()) {
        m_state.geometry = geometry;
    }
    m_state.maximised = maximised;
    m_state.sidePanelShown = !sidePanelHidden;
    rememberCollapsed();
    m_state.save();
}

void CChannelNavigator::rememberCollapsed() {
    if (m_lists == nullptr) {
        return;
    }
    QStringList collapsed;
    for (int s = 0; s < m_tree->topLevelItemCount(); ++s) {
        const ChannelNode* set = m_tree->topLevelItem(s);
        if (!m_tree->isItemExpanded(set)) {
            collapsed << UserState::CollapsedKey(set->text(0));
        }
        for (int g = 0; g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            if (group->childCount() > 0 && !m_tree->isItemExpanded(group)) {
                collapsed << UserState::CollapsedKey(set->text(0), group->text(0));
            }
        }
    }
    m_state.collapsedGroups = collapsed;
}

void CChannelNavigator::listFilled(const ChannelList& lists) {
    m_lists = &lists;
    m_zapper->setList(&lists);
    const QStringList& collapsed = m_state.collapsedGroups;
    for (int s = 0; s < m_tree->topLevelItemCount(); ++s) {
        const ChannelNode* set = m_tree->topLevelItem(s);
        for (int g = 0; g < set->childCount(); ++g) {
            const ChannelNode* group = set->child(g);
            if (collapsed.contains(UserState::CollapsedKey(set->text(0), group->text(0)))) {
                m_tree->setItemExpanded(group, false);
            }
        }
        if (collapsed.contains(UserState::CollapsedKey(set->text(0)))) {
            m_tree->setItemExpanded(set, false);
        }
    }
    showCollections();
    if (!m_firstList) {
        return;
    }
    m_firstList = false;
    if (const ChannelNode* last = m_tree->itemForChannel(channelById(m_state.lastChannelId))) {
        // Chosen, where the user left off, but not marked: the mark shows only what plays.
        m_tree->setCurrentItem(last);
        m_tree->scrollToItem(last);
        m_lastChannelPending = m_state.playLastOnStart;
    }
}

void CChannelNavigator::userChanged() {
    showCollections();
}

const ChannelInfo* CChannelNavigator::channelById(const QString& id) const {
    return m_lists != nullptr ? ChannelById(*m_lists, id) : nullptr;
}

void CChannelNavigator::showCollections() {
    if (m_lists == nullptr) {
        return;
    }
    const QString user = serviceId();
    std::vector<const ChannelInfo*> favourites;
    std::vector<const ChannelInfo*> recents;
    // A channel that left the list stays remembered and shows again when it returns.
    if (!user.isEmpty()) {
        for (const QString& id : m_state.favourites(user)) {
            if (const ChannelInfo* channel = channelById(id)) {
                favourites.push_back(channel);
            }
        }
        for (const QString& id : m_state.recents(user)) {
            if (const ChannelInfo* channel = channelById(id)) {
                recents.push_back(channel);
            }
        }
    }
    m_tree->SetCollections(favourites, recents);
}

void CChannelNavigator::played(const ChannelInfo& channel) {
    const QString user = serviceId();
    if (!user.isEmpty()) {
        m_state.addRecent(user, channel.id().toString());
    }
    m_state.lastChannelId = channel.id().toString();
    m_lastChannelPending = false;
    m_state.save();
    showCollections();
}

bool CChannelNavigator::takeLastChannelToPlay() {
    if (!m_lastChannelPending || m_session.IsSignedIn() == 0 || m_lists == nullptr) {
        return false;
    }
    m_lastChannelPending = false;
    const ChannelNode* last = m_tree->itemForChannel(channelById(m_state.lastChannelId));
    if (last == nullptr) {
        return false;
    }
    m_tree->playItem(last);
    return true;
}

void CChannelNavigator::addMenuItems(QMenu& menu) {
    QAction* playLast = menu.addAction(kPlayLastItem);
    playLast->setCheckable(true);
    playLast->setChecked(m_state.playLastOnStart);
    connect(playLast, &QAction::toggled, this, [this](bool on) {
        m_state.playLastOnStart = on;
        m_state.save();
    });
}

void CChannelNavigator::setPicture(QWidget* picture) {
    m_zapper->setPicture(picture);
}
