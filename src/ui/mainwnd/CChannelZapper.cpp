#include "mainwnd/CChannelZapper.h"

#include "catalogue/CChannelTreeCtrl.h"
#include "catalogue/ChannelList.h"
#include "platform/Clock.h"
#include "session/NowPlaying.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

namespace {

constexpr int kOverlayShownMs = 3000;
const QColor kOverlayText(104, 176, 48);

bool takesText(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

const ChannelInfo* channelIn(const ChannelList* lists, const QString& id) {
    return lists != nullptr ? ChannelById(*lists, id) : nullptr;
}

}  // namespace

CChannelZapper::CChannelZapper(Clock& clock, const NowPlaying& nowPlaying, QWidget* window,
                               CChannelTreeCtrl* tree)
    : QObject(window), m_nowPlaying(nowPlaying), m_window(window), m_tree(tree) {
    m_digitTimer = clock.createTimer([this] { playTypedDigits(); }, true);
    m_overlayTimer = clock.createTimer(
        [this] {
            if (m_overlay != nullptr) {
                m_overlay->hide();
            }
        },
        true);
    qApp->installEventFilter(this);
}

CChannelZapper::~CChannelZapper() {
    delete m_overlay;
}

void CChannelZapper::zap(int step) {
    const QList<const ChannelNode*> items = m_tree->channelItems();
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
    played(items[next]);
}

void CChannelZapper::played(const ChannelNode* item) {
    m_tree->playItem(item);
    // The player announces the channel on its picture, wherever the picture is: one
    // announcement, in its style; the typed number makes way for it.
    if (m_overlay != nullptr) {
        m_overlay->hide();
    }
    m_overlayTimer->stop();
}

void CChannelZapper::returnToPrevious() {
    const ChannelNode* item = m_tree->itemForChannel(channelIn(m_lists, m_nowPlaying.previousId()));
    if (item != nullptr) {
        played(item);
    }
}

void CChannelZapper::typeDigit(int digit) {
    if (m_digits.size() >= kMaxDigits) {
        m_digits.clear();
    }
    m_digits += QChar(u'0' + digit);
    showOverlay(m_digits);
    m_digitTimer->start(kDigitPauseMs);
}

void CChannelZapper::playTypedDigits() {
    m_digitTimer->stop();
    if (m_digits.isEmpty()) {
        return;
    }
    const QString typed = m_digits;
    m_digits.clear();
    const ChannelNode* item = m_tree->itemForChannel(channelIn(m_lists, typed));
    if (item == nullptr) {
        showOverlay(kNoSuchChannel.arg(typed));
        return;
    }
    played(item);
}

void CChannelZapper::showOverlay(const QString& text) {
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

bool CChannelZapper::belongsToWindow(const QObject* watched) const {
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

bool CChannelZapper::eventFilter(QObject* watched, QEvent* event) {
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
        case Qt::Key_F11:
        case Qt::Key_F:
            // Full screen from anywhere in the window, as the picture itself takes it; F stays a
            // letter in a field.
            if ((key->key() == Qt::Key_F && typing) || modifiers != Qt::NoModifier ||
                m_picture == nullptr || watched == m_picture.data() ||
                m_picture->isAncestorOf(static_cast<QWidget*>(watched)) ||
                static_cast<QWidget*>(watched)->window() != m_window) {
                return false;
            }
            QCoreApplication::sendEvent(m_picture, event);
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
