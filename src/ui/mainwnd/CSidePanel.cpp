#include "mainwnd/CSidePanel.h"

#include "ads/CAdvertiseDlg.h"
#include "catalogue/CChannelTreeCtrl.h"
#include "mainwnd/CTVProgramDlg.h"
#include "platform/Clock.h"
#include "service/SessionRecord.h"
#include "widgets/CSearchEdit.h"
#include "widgets/CSkinButton.h"

#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const QColor kStatusColour(255, 188, 0);

}  // namespace

CSidePanel::CSidePanel(NowPlaying& nowPlaying, Clock& clock, const QString& dataFolder,
                       const QString& folder, QWidget* owner, QWidget* client)
    : m_client(client),
      m_clock(clock),
      m_tree(new CChannelTreeCtrl(nowPlaying, clock, owner, client)),
      m_search(new CSearchEdit(client)),
      m_filter(*m_tree),
      m_hide(new CSkinButton(client)),
      m_show(new CSkinButton(client)),
      m_status(new QLabel(client)),
      m_signIn(new CSkinButton(client)),
      m_ad(new CAdvertiseDlg(dataFolder, folder, client)) {
    QPalette orange = m_status->palette();
    orange.setColor(QPalette::WindowText, kStatusColour);
    m_status->setPalette(orange);

    // Typing narrows the list at once; Down and Enter go on into the results.
    QObject::connect(m_search, &QLineEdit::textChanged, m_search,
                     [this] { m_filter.Apply(m_search->GetText()); });
    QObject::connect(m_search, &CSearchEdit::searchEnded, m_search, [this] { m_filter.Clear(); });
    // Favourites and recents rebuilt meanwhile stay out of the results.
    QObject::connect(m_tree, &CChannelTreeCtrl::collectionsChanged, m_search, [this] {
        if (m_filter.active()) {
            m_filter.Apply(m_search->GetText());
        }
    });
    QObject::connect(m_search, &CSearchEdit::stepIntoResults, m_search, [this] {
        if (const ChannelNode* first = m_filter.firstMatch()) {
            m_tree->setCurrentItem(first);
        }
        m_tree->setFocus(Qt::TabFocusReason);
    });
    QObject::connect(m_search, &CSearchEdit::playRequested, m_search, [this] {
        const ChannelNode* chosen = m_tree->currentItem();
        if (chosen == nullptr || m_tree->isItemHidden(chosen) || chosen->childCount() > 0 ||
            CChannelTreeCtrl::itemChannel(chosen) == nullptr) {
            chosen = m_filter.firstMatch();
        }
        if (m_filter.active() && chosen != nullptr) {
            m_tree->playItem(chosen);
        }
    });
}

bool CSidePanel::endSearchFrom(const QWidget* focus) {
    if (!m_filter.active() || focus == nullptr) {
        return false;
    }
    const QWidget* parts[] = {m_tree, m_search, m_hide, m_show, m_status, m_signIn, m_ad};
    const bool inPanel =
        std::any_of(std::begin(parts), std::end(parts), [focus](const QWidget* part) {
            return part != nullptr && (part == focus || part->isAncestorOf(focus));
        });
    if (!inPanel) {
        return false;
    }
    m_search->ShowCue();
    m_filter.Clear();
    return true;
}

void CSidePanel::listFilled(const ChannelList& lists, std::shared_ptr<const ChannelSearch> search) {
    m_filter.Index(lists, std::move(search));
    if (!m_search->cueShowing()) {
        const QSignalBlocker quiet(m_search);
        m_search->ShowCue();
    }
}

void CSidePanel::placeControls() {
    m_hide->setToolTip(kHideTip);
    m_show->setToolTip(kShowTip);
    m_hide->setAccessibleName(kHideTip);
    m_show->setAccessibleName(kShowTip);
    m_tree->setAccessibleName(kTreeName);
    m_ad->setAccessibleName(kAdName);
    m_hide->setGeometry(580, 198, 6, 9);
    m_hide->SetBitmaps(156, 155, 157, 157);
    m_show->setGeometry(580, 198, 6, 9);
    m_show->SetBitmaps(159, 158, 160, 160);
    m_status->setGeometry(700, 8, 164, 16);
    m_signIn->setGeometry(745, 4, 52, 22);
    m_hide->raise();
    m_hide->show();
    m_show->hide();
    m_ad->setGeometry(590, 475, kWidth, 70);
    m_ad->show();
}

void CSidePanel::layout(int cx, int cy) {
    m_hide->setGeometry(cx - 217, cy / 2 - 40, 6, 9);
    m_show->setGeometry(cx - 8, cy / 2 - 40, 6, 9);
    m_status->setGeometry(cx - 209, 8, 164, 16);
    m_signIn->setGeometry(cx - 55, 4, 52, 22);
    layoutTree();
    m_ad->setGeometry(cx - 210, cy - 73, kWidth, 70);
    if (m_retryPending) {
        placeRetryNotice(true, nullptr);
    }
}

void CSidePanel::layoutTree() {
    const QRect client = m_client->rect();
    const int top = client.top() + 31;
    const QRect strip(client.right() + 1 - 210, top, 207, client.bottom() + 1 - 72 - top);
    m_search->setGeometry(strip.left() + 2, strip.top() + 1, strip.width() - 4,
                          CSearchEdit::kHeight);
    m_tree->setGeometry(strip.adjusted(0, CSearchEdit::kHeight + 3, 0, 0));
    m_client->update(strip);
}

void CSidePanel::setShown(bool shown) {
    m_tree->setVisible(shown);
    m_search->setVisible(shown);
    m_ad->setVisible(shown);
    m_hide->setVisible(shown);
    m_show->setVisible(!shown);
    m_status->setVisible(shown);
    m_signIn->setVisible(shown);
    // A hidden list is not retried behind the user's back; shown again, the count starts anew.
    if (m_retryPending) {
        m_retryAllowed = shown;
        placeRetryNotice(shown, nullptr);
    }
}

QString CSidePanel::shortenedStatus(const QString& text) const {
    const QFontMetrics metrics(m_status->font());
    // The sign-in button stands over the line's right end once the panel is laid out (the
    // line at 209, the button at 55 pixels from the right): the text stops before it.
    const int room = std::min(m_status->width(), 209 - 55 - 2);
    if (metrics.horizontalAdvance(text) <= room) {
        return text;
    }
    // Cut until the whole text, its "..." included, fits the line.
    QString cut = text;
    while (!cut.isEmpty() && metrics.horizontalAdvance(cut + QStringLiteral("...")) > room) {
        cut.chop(1);
    }
    return cut + QStringLiteral("...");
}

void CSidePanel::refreshStatus(const SessionRecord& record) {
    if (record.IsSignedIn() != 0) {
        m_status->setText(shortenedStatus(kWelcome + record.GetDisplayName()));
        m_signIn->SetBitmaps(276, 275, 277, 275);
        m_signIn->setAccessibleName(kSignOutName);
    } else {
        m_status->setText(kPleaseSignIn);
        m_signIn->SetBitmaps(273, 272, 274, 272);
        m_signIn->setAccessibleName(kSignInName);
    }
    m_client->update(m_status->geometry());
}

void CSidePanel::showRetryNotice(QWidget* notify) {
    m_retryPending = true;
    placeRetryNotice(true, notify);
}

void CSidePanel::retryFailed(QWidget* notify) {
    m_clock.singleShot(kRetryPauseMs, m_client, [this, notify] {
        if (m_retryAllowed) {
            showRetryNotice(notify);
        }
    });
}

void CSidePanel::listRetrieved() {
    m_retryPending = false;
    placeRetryNotice(false, nullptr);
}

void CSidePanel::placeRetryNotice(bool show, QWidget* notify) {
    if (m_retry == nullptr) {
        if (!show) {
            return;
        }
        m_retry = new CTVProgramDlg(m_clock, m_client, notify);
    }
    if (!show) {
        m_retry->stop();
        return;
    }
    const QRect area = m_tree->geometry();
    const int fifth = area.height() / 5;
    m_retry->setGeometry(area.x() + 1, area.y() + fifth, area.width() - 2, fifth);
    if (m_retryAllowed) {
        m_retry->startCountdown();
    }
}
