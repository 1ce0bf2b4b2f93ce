#include "PlayerView.h"

#include "HostTrace.h"
#include "OverlayNote.h"
#include "VideoSurface.h"
#include "ZarTexts.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

PlayerView::PlayerView(QWidget* parent, const QString& preferredOutput) : QWidget(parent) {
    setObjectName(QStringLiteral("playerView"));
    setAccessibleName(ZarTexts::pictureName());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_surface = VideoSurfaces::create(this, preferredOutput);
    QWidget* picture = m_surface->widget();
    picture->setFocusPolicy(Qt::ClickFocus);
    picture->setMouseTracking(true);
    picture->installEventFilter(this);
    if (parent != nullptr) {
        parent->installEventFilter(this);
    }
    layout->addWidget(picture);
    setProperty("videoOutput", QString::fromLatin1(m_surface->kind()));
    // One line for whoever supports the program: which renderer this machine got.
    static bool said = false;
    if (!said) {
        said = true;
        qInfo("VELO player: %s video output on the %s platform", m_surface->kind(),
              qPrintable(QGuiApplication::platformName()));
    }
    setProperty("notice", QString());
    setProperty("framesShown", 0);
    m_surface->setHooks(VideoSurface::Hooks{
        [this] {
            setProperty("framesShown", m_surface->framesShown());
            setProperty("longestRenderUs", m_surface->longestRenderUs());
            emit frameShown();
        },
        [this] {
            // The kind may have changed: OpenGL that could not be had turns to software.
            setProperty("videoOutput", QString::fromLatin1(m_surface->kind()));
            emit surfaceReady();
        },
        [this](QPainter& p, const QRect& area) { paintOverlay(p, area); },
        [this] {
            return m_notice != Notice::None || !m_note.isEmpty() || !m_marks.isEmpty() ||
                   m_helpShown;
        },
    });

    m_fade.setInterval(40);
    connect(&m_fade, &QTimer::timeout, this, &PlayerView::fadeStep);
    m_pointerRest.setSingleShot(true);
    m_pointerRest.setInterval(kPointerRestMs);
    connect(&m_pointerRest, &QTimer::timeout, this, [this] {
        if (m_fullScreen) {
            m_surface->widget()->setCursor(Qt::BlankCursor);
        }
    });
}

PlayerView::~PlayerView() = default;

void PlayerView::setChannel(const QString& name) {
    m_channel = name;
    setAccessibleDescription(name.isEmpty() ? QString() : ZarTexts::playing(name));
}

void PlayerView::showNotice(Notice notice, int attempt) {
    if (notice == m_notice && attempt == m_attempt) {
        return;
    }
    m_notice = notice;
    m_attempt = attempt;
    // A channel that cannot be played shows no stale picture; a reconnect keeps the last one.
    if (notice == Notice::CannotPlay || notice == Notice::Refused) {
        m_surface->clearPicture();
    }
    setProperty("notice", noticeText());
    m_surface->refreshOverlay();
    switch (notice) {
        case Notice::Reconnecting:
            HostTrace::mark("notice-reconnecting");
            break;
        case Notice::CannotPlay:
            HostTrace::mark("notice-cannot-play");
            break;
        case Notice::Refused:
            HostTrace::mark("notice-refused");
            break;
        case Notice::None:
            break;
    }
}

QString PlayerView::noticeText() const {
    switch (m_notice) {
        case Notice::Reconnecting:
            return ZarTexts::reconnecting(m_attempt);
        case Notice::CannotPlay:
            return ZarTexts::cannotPlay();
        case Notice::Refused:
            return ZarTexts::refused();
        case Notice::None:
            break;
    }
    return QString();
}

void PlayerView::showNote(const QString& text) {
    m_note = text;
    m_noteAge.start();
    setProperty("note", text);
    m_fade.start();
    m_surface->refreshOverlay();
}

void PlayerView::setMarks(const QStringList& marks) {
    if (marks == m_marks) {
        return;
    }
    m_marks = marks;
    setProperty("marks", marks.join(QLatin1Char(' ')));
    m_surface->refreshOverlay();
}

void PlayerView::setHelpShown(bool shown) {
    m_helpShown = shown;
    setProperty("helpShown", shown);
    m_surface->refreshOverlay();
}

void PlayerView::fadeStep() {
    if (!m_noteAge.isValid() || m_noteAge.elapsed() > kNoteShownMs + kNoteFadeMs) {
        m_fade.stop();
        m_note.clear();
        setProperty("note", QString());
    } else if (m_noteAge.elapsed() < kNoteShownMs) {
        // Shown at full strength until it fades: nothing over the picture changes yet.
        return;
    }
    m_surface->refreshOverlay();
}

void PlayerView::setFullScreen(bool on) {
    if (on == m_fullScreen) {
        return;
    }
    m_fullScreen = on;
    QWidget* picture = m_surface->widget();
    // The picture alone goes full screen as a window of its own and comes back into the pane;
    // the control's window stays where the host put it.
    if (on) {
        picture->setWindowFlags(Qt::Window);
        picture->showFullScreen();
        m_pointerRest.start();
    } else {
        m_pointerRest.stop();
        picture->unsetCursor();
        picture->setWindowFlags(Qt::Widget);
        picture->show();
    }
    picture->setFocus();
    setProperty("pictureFullScreen", on);
}

bool PlayerView::eventFilter(QObject* watched, QEvent* event) {
    // The full-screen keys that the host hands the control's window from elsewhere in its own.
    if (watched == parentWidget() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F11 || key == Qt::Key_F) {
            setFullScreen(!m_fullScreen);
            return true;
        }
        return false;
    }
    if (watched != m_surface->widget()) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::Wheel: {
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (delta != 0) {
                emit volumeStepped(delta > 0 ? kVolumeStep : -kVolumeStep);
            }
            return true;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
                case Qt::Key_Up:
                    emit volumeStepped(kVolumeStep);
                    return true;
                case Qt::Key_Down:
                    emit volumeStepped(-kVolumeStep);
                    return true;
                case Qt::Key_M:
                    emit muteToggled();
                    return true;
                case Qt::Key_Space:
                    emit pauseToggled();
                    return true;
                case Qt::Key_Left:
                case Qt::Key_Right: {
                    const int step =
                        key->modifiers().testFlag(Qt::ShiftModifier) ? kLongSeekStep : kSeekStep;
                    emit seekStepped(key->key() == Qt::Key_Left ? -step : step);
                    return true;
                }
                case Qt::Key_End:
                    emit liveRequested();
                    return true;
                case Qt::Key_R:
                    emit recordToggled();
                    return true;
                case Qt::Key_S:
                    emit stillRequested();
                    return true;
                case Qt::Key_Question:
                case Qt::Key_F1:
                    setHelpShown(!m_helpShown);
                    return true;
                case Qt::Key_F11:
                case Qt::Key_F:
                    setFullScreen(!m_fullScreen);
                    return true;
                case Qt::Key_Escape:
                    if (m_helpShown) {
                        setHelpShown(false);
                        return true;
                    }
                    if (m_fullScreen) {
                        setFullScreen(false);
                        return true;
                    }
                    return false;  // the player window swallows it
                default:
                    return false;
            }
        }
        case QEvent::MouseButtonPress:
            m_surface->widget()->setFocus(Qt::MouseFocusReason);
            return false;
        case QEvent::ContextMenu:
            showMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::MouseButtonDblClick:
            setFullScreen(!m_fullScreen);
            return true;
        case QEvent::MouseMove:
            if (m_fullScreen) {
                m_surface->widget()->unsetCursor();
                m_pointerRest.start();
            }
            return false;
        default:
            return false;
    }
}

void PlayerView::paintOverlay(QPainter& p, const QRect& area) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString notice = noticeText();
    if (!notice.isEmpty()) {
        if (m_notice == Notice::Reconnecting) {
            p.fillRect(area, QColor(0, 0, 0, 110));  // dim the last frame under the text
        }
        QFont title = font();
        title.setPixelSize(std::max(16, area.height() / 14));
        title.setBold(true);
        QFont body = font();
        body.setPixelSize(std::max(13, area.height() / 24));
        const int titleHeight = QFontMetrics(title).height();
        const int bodyHeight = QFontMetrics(body).height();
        const int top = area.center().y() - (titleHeight + bodyHeight + 10) / 2;
        p.setPen(QColor(240, 246, 250));
        p.setFont(title);
        p.drawText(QRect(area.left() + 16, top, area.width() - 32, titleHeight),
                   Qt::AlignCenter | Qt::TextSingleLine, m_channel);
        p.setFont(body);
        p.setPen(m_notice == Notice::Reconnecting ? QColor(255, 210, 90) : QColor(200, 214, 224));
        p.drawText(QRect(area.left() + 16, top + titleHeight + 10, area.width() - 32, bodyHeight),
                   Qt::AlignCenter | Qt::TextSingleLine, notice);
    }
    paintMarksAndHelp(p, area);
    if (!m_note.isEmpty() && m_noteAge.isValid()) {
        const qint64 age = m_noteAge.elapsed();
        const double opacity = age <= kNoteShownMs
                                   ? 1.0
                                   : std::max(0.0, 1.0 - double(age - kNoteShownMs) / kNoteFadeMs);
        if (opacity > 0) {
            QFont noteFont = font();
            noteFont.setPixelSize(std::max(14, area.height() / 22));
            noteFont.setBold(true);
            const OverlayNote note = OverlayNote::place(m_note, QFontMetrics(noteFont), area);
            p.setOpacity(opacity);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, 160));
            p.drawRoundedRect(note.box, 6, 6);
            p.setFont(noteFont);
            p.setPen(Qt::white);
            p.drawText(note.box.adjusted(OverlayNote::kPadding, 0, 0, 0),
                       Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, note.text);
            p.setOpacity(1);
        }
    }
}

void PlayerView::paintMarksAndHelp(QPainter& p, const QRect& area) {
    if (!m_marks.isEmpty()) {
        QFont markFont = font();
        markFont.setPixelSize(std::max(12, area.height() / 28));
        markFont.setBold(true);
        const QFontMetrics metrics(markFont);
        const int gap = metrics.horizontalAdvance(QStringLiteral("　"));
        int width = 0;
        for (const QString& mark : m_marks) {
            width += metrics.horizontalAdvance(mark) + (width > 0 ? gap : 0);
        }
        // A little room to spare: the picture's painter may set the text a pixel wider.
        const QRect box(area.left() + 10, area.top() + 10, std::min(width + 20, area.width() - 20),
                        metrics.height() + 8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 170));
        p.drawRoundedRect(box, 4, 4);
        p.setFont(markFont);
        p.save();
        p.setClipRect(box);
        int x = box.left() + 10;
        for (const QString& mark : m_marks) {
            // Red while the stream is being recorded, as a recorder's lamp is.
            p.setPen(mark.startsWith(QChar(u'●')) ? QColor(255, 80, 80) : Qt::white);
            const int advance = metrics.horizontalAdvance(mark);
            p.drawText(QRect(x, box.top(), advance + 4, box.height()),
                       Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, mark);
            x += advance + gap;
        }
        p.restore();
    }
    if (!m_helpShown) {
        return;
    }
    QFont title = font();
    title.setPixelSize(std::max(14, area.height() / 24));
    title.setBold(true);
    QFont body = font();
    body.setPixelSize(std::max(13, area.height() / 26));
    const QStringList lines = ZarTexts::keyHelp();
    const QFontMetrics titleMetrics(title);
    const QFontMetrics bodyMetrics(body);
    int width = titleMetrics.horizontalAdvance(ZarTexts::keyHelpTitle());
    for (const QString& line : lines) {
        width = std::max(width, bodyMetrics.horizontalAdvance(line));
    }
    const int height = titleMetrics.height() + 8 + int(lines.size()) * bodyMetrics.height();
    QRect box(0, 0, std::min(width + 32, area.width() - 16),
              std::min(height + 24, area.height() - 16));
    box.moveCenter(area.center());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(8, 14, 20, 232));
    p.drawRoundedRect(box, 8, 8);
    p.setPen(Qt::white);
    p.setFont(title);
    int y = box.top() + 12;
    p.drawText(QRect(box.left() + 16, y, box.width() - 32, titleMetrics.height()), Qt::AlignLeft,
               ZarTexts::keyHelpTitle());
    y += titleMetrics.height() + 8;
    p.setFont(body);
    p.setPen(QColor(214, 226, 236));
    for (const QString& line : lines) {
        p.drawText(QRect(box.left() + 16, y, box.width() - 32, bodyMetrics.height()), Qt::AlignLeft,
                   line);
        y += bodyMetrics.height();
    }
}

void PlayerView::showMenu(const QPoint& at) {
    QMenu menu(this);
    const auto item = [&menu](const QString& text, const QString& keys, auto then) {
        menu.addAction(text + QLatin1Char('\t') + keys, then);
    };
    item(ZarTexts::pauseItem(), QStringLiteral("Space"), [this] { emit pauseToggled(); });
    item(ZarTexts::backItem(), QStringLiteral("←"), [this] { emit seekStepped(-kSeekStep); });
    item(ZarTexts::forthItem(), QStringLiteral("→"), [this] { emit seekStepped(kSeekStep); });
    item(ZarTexts::liveItem(), QStringLiteral("End"), [this] { emit liveRequested(); });
    menu.addSeparator();
    item(ZarTexts::recordItem(), QStringLiteral("R"), [this] { emit recordToggled(); });
    item(ZarTexts::stillItem(), QStringLiteral("S"), [this] { emit stillRequested(); });
    menu.addSeparator();
    item(ZarTexts::helpItem(), QStringLiteral("?"), [this] { setHelpShown(!m_helpShown); });
    menu.exec(at);
}
