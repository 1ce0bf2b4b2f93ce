#include "mainwnd/CChannelNavigator.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "mainwnd/CSidePanel.h"
#include "platform/Clock.h"
#include "session/AppContext.h"

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

bool takesText(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

// The same id whether it is typed with or without leading zeros.
bool sameId(const QString& typed, const QString& id) {
    const QString trimmed = id.trimmed();
    if (typed == trimmed) {
        return true;
    }
    bool typedNumber = false;
    bool idNumber = false;
    const qlonglong a = typed.toLongLong(&typedNumber);
    const qlonglong b = trimmed.toLongLong(&idNumber);
    return typedNumber && idNumber && a == b;
}

}  // namespace

CChannelNavigator::CChannelNavigator(AppContext& context, const QString& statePath, QWidget* window,
                                     CChannelTreeCtrl* tree)
    : QObject(window),
      m_context(context),
      m_window(window),
      m_tree(tree),
      m_state(statePath.isEmpty() ? UserState::defaultPath() : statePath) {
    m_state.load();
    m_digitTimer = m_context.clock->createTimer([this] { playTypedDigits(); }, true);
    m_overlayTimer = m_context.clock->createTimer(
        [this] {
            if (m_overlay != nullptr) {
                m_overlay->hide();
            }
        },
        true);
    // What plays is the owner's to say; a started channel becomes the latest watched.
    connect(&m_context.nowPlaying, &NowPlaying::started, this, &CChannelNavigator::played);
    tree->isFavourite = [this](const ChannelInfo* channel) {
        return m_state.favourites(serviceId()).contains(channel->id);
    };
    connect(tree, &CChannelTreeCtrl::favouriteToggled, this, [this](const ChannelInfo* channel) {
        if (channel == nullptr || serviceId().isEmpty()) {
            return;
        }
        m_state.toggleFavourite(serviceId(), channel->id);
        m_state.save();
        showCollections();
    });
    connect(tree, &CChannelTreeCtrl::groupToggled, this, [this] {
        rememberCollapsed();
        m_state.save();
    });
    qApp->installEventFilter(this);
}

CChannelNavigator::~CChannelNavigator() {
    delete m_overlay;
}

QString CChannelNavigator::serviceId() const {
    return m_context.session.IsSignedIn() != 0 ? m_context.session.GetUserId() : QString();
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
        const QTreeWidgetItem* set = m_tree->topLevelItem(s);
        if (!set->isExpanded()) {
            collapsed << UserState::CollapsedKey(set->text(0));
        }
        for (int g = 0; g < set->childCount(); ++g) {
            const QTreeWidgetItem* group = set->child(g);
            if (group->childCount() > 0 && !group->isExpanded()) {
                collapsed << UserState::CollapsedKey(set->text(0), group->text(0));
            }
        }
    }
    m_state.collapsedGroups = collapsed;
}

void CChannelNavigator::listFilled(const ChannelList& lists) {
    m_lists = &lists;
    const QStringList& collapsed = m_state.collapsedGroups;
    for (int s = 0; s < m_tree->topLevelItemCount(); ++s) {
        QTreeWidgetItem* set = m_tree->topLevelItem(s);
        for (int g = 0; g < set->childCount(); ++g) {
            QTreeWidgetItem* group = set->child(g);
            if (collapsed.contains(UserState::CollapsedKey(set->text(0), group->text(0)))) {
                group->setExpanded(false);
            }
        }
        if (collapsed.contains(UserState::CollapsedKey(set->text(0)))) {
            set->setExpanded(false);
        }
    }
    showCollections();
    if (!m_firstList) {
        return;
    }
    m_firstList = false;
    if (QTreeWidgetItem* last = m_tree->itemForChannel(channelById(m_state.lastChannelId))) {
        m_tree->setCurrentItem(last);
        m_tree->markPlaying(last);
        m_tree->scrollToItem(last);
        m_lastChannelPending = m_state.playLastOnStart;
    }
}

void CChannelNavigator::userChanged() {
    showCollections();
}

const ChannelInfo* CChannelNavigator::channelById(const QString& id) const {
    if (m_lists == nullptr || id.trimmed().isEmpty()) {
        return nullptr;
    }
    for (const auto& channel : m_lists->channels) {
        if (sameId(id.trimmed(), channel->id)) {
            return channel.get();
        }
    }
    return nullptr;
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
        m_state.addRecent(user, channel.id);
    }
    m_state.lastChannelId = channel.id;
    m_lastChannelPending = false;
    m_state.save();
    showCollections();
}

bool CChannelNavigator::takeLastChannelToPlay() {
    if (!m_lastChannelPending || m_context.session.IsSignedIn() == 0 || m_lists == nullptr) {
        return false;
    }
    m_lastChannelPending = false;
    QTreeWidgetItem* last = m_tree->itemForChannel(channelById(m_state.lastChannelId));
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

void CChannelNavigator::zap(int step) {
    const QList<QTreeWidgetItem*> items = m_tree->channelItems();
    if (items.isEmpty()) {
        return;
    }
    const qsizetype count = items.size();
    const ChannelInfo* from = CChannelTreeCtrl::itemChannel(m_tree->playingItem());
    if (from == nullptr) {
        from = CChannelTreeCtrl::itemChannel(m_tree->currentItem());
    }
    qsizetype at = -1;
    for (qsizetype i = 0; i < count && from != nullptr; ++i) {
        if (CChannelTreeCtrl::itemChannel(items[i]) == from) {
            at = i;
            break;
        }
    }
    // Like a remote control, past the last channel comes the first again.
    const qsizetype next =
        at < 0 ? (step > 0 ? 0 : count - 1) : ((at + step) % count + count) % count;
    QTreeWidgetItem* item = items[next];
    m_tree->playItem(item);
    const ChannelInfo* channel = CChannelTreeCtrl::itemChannel(item);
    showOverlay(channel->id.trimmed() + QLatin1Char(' ') + channel->name);
}

void CChannelNavigator::returnToPrevious() {
    QTreeWidgetItem* item = m_tree->itemForChannel(channelById(m_context.nowPlaying.previousId()));
    if (item != nullptr) {
        m_tree->playItem(item);
        const ChannelInfo* channel = CChannelTreeCtrl::itemChannel(item);
        showOverlay(channel->id.trimmed() + QLatin1Char(' ') + channel->name);
    }
}

void CChannelNavigator::typeDigit(int digit) {
    if (m_digits.size() >= kMaxDigits) {
        m_digits.clear();
    }
    m_digits += QChar(u'0' + digit);
    showOverlay(m_digits);
    m_digitTimer->start(kDigitPauseMs);
}

void CChannelNavigator::playTypedDigits() {
    m_digitTimer->stop();
    if (m_digits.isEmpty()) {
        return;
    }
    const QString typed = m_digits;
    m_digits.clear();
    QTreeWidgetItem* item = m_tree->itemForChannel(channelById(typed));
    if (item == nullptr) {
        showOverlay(kNoSuchChannel.arg(typed));
        return;
    }
    m_tree->playItem(item);
    const ChannelInfo* channel = CChannelTreeCtrl::itemChannel(item);
    showOverlay(channel->id.trimmed() + QLatin1Char(' ') + channel->name);
}

void CChannelNavigator::showOverlay(const QString& text) {
    if (m_overlay == nullptr) {
        // A window of its own, so that it shows over the full-screen picture as over the pane.
        m_overlay =
            new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                    Qt::WindowDoesNotAcceptFocus);
        m_overlay->setAttribute(Qt::WA_ShowWithoutActivating);
        m_overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_overlay->setStyleSheet(
            QStringLiteral("QLabel { background: rgba(0, 0, 0, 170); color: rgb(%1, %2, %3);"
                           " padding: 6px 12px; border-radius: 4px; }")
                .arg(kOverlayText.red())
                .arg(kOverlayText.green())
                .arg(kOverlayText.blue()));
        QFont font = m_overlay->font();
        font.setPixelSize(28);
        font.setBold(true);
        m_overlay->setFont(font);
    }
    m_overlay->setText(text);
    m_overlay->adjustSize();
    QWidget* over = m_picture != nullptr ? m_picture.data() : m_window;
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != m_window && belongsToWindow(active)) {
        over = active;
    }
    m_overlay->move(
        over->mapToGlobal(QPoint(std::max(0, over->width() - m_overlay->width() - 24), 24)));
    m_overlay->show();
    m_overlay->raise();
    m_overlayTimer->start(kOverlayShownMs);
}

bool CChannelNavigator::belongsToWindow(const QObject* watched) const {
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    const QWidget* top = widget->window();
    if (top == m_window) {
        return true;
    }
    for (const QWidget* w = top; w != nullptr; w = w->parentWidget()) {
        if (w == m_picture) {
            return true;
        }
    }
    return false;
}

bool CChannelNavigator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !belongsToWindow(watched)) {
        return false;
    }
    // A dialog over the window has the keys to itself.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != m_window) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool typing = takesText(static_cast<QWidget*>(watched));
    switch (key->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (modifiers == Qt::NoModifier) {
                zap(key->key() == Qt::Key_PageDown ? 1 : -1);
                return true;
            }
            return false;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (modifiers == Qt::ControlModifier) {
                zap(key->key() == Qt::Key_Down ? 1 : -1);
                return true;
            }
            return false;
        case Qt::Key_Backspace:
            if (typing || modifiers != Qt::NoModifier) {
                return false;
            }
            returnToPrevious();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_digits.isEmpty()) {
                return false;
            }
            playTypedDigits();
            return true;
        case Qt::Key_Escape:
            if (m_digits.isEmpty()) {
                return false;
            }
            m_digits.clear();
            m_digitTimer->stop();
            if (m_overlay != nullptr) {
                m_overlay->hide();
            }
            return true;
        default:
            if (!typing && modifiers == Qt::NoModifier && key->key() >= Qt::Key_0 &&
                key->key() <= Qt::Key_9) {
                typeDigit(key->key() - Qt::Key_0);
                return true;
            }
            return false;
    }
}
