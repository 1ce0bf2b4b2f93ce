#include "widgets/CGifPlayer.h"

#include "common/GifLayout.h"
#include "platform/Clock.h"
#include "widgets/SharpImage.h"

#include <QFile>

#include <QPainter>
#include <algorithm>

CGifPlayer::CGifPlayer(Clock& clock, QWidget* parent)
    : QWidget(parent), m_frameTimer(clock.createTimer([this] { nextFrame(); }, true)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CGifPlayer::~CGifPlayer() {
    Unload();
}

int CGifPlayer::LoadFromResource(const QString& resource) {
    const SharpImage::Choice choice = SharpImage::choose(resource);
    QFile file(choice.path);
    if (!file.open(QIODevice::ReadOnly)) {
        Unload();
        return 0;
    }
    return Load(file.readAll(), choice.ratio);
}

int CGifPlayer::Load(const QByteArray& data, int ratio) {
    Unload();
    m_ratio = std::max(1, ratio);
    const GifLayout layout = GifLayout::read(data);
    if (!layout.isGif) {
        m_single = QImage::fromData(data);
        if (m_single.isNull()) {
            return 0;
        }
        m_size = m_single.size() / m_ratio;
    } else {
        if (layout.frames.empty()) {
            return 0;
        }
        m_isGif = true;
        m_size = QSize(layout.width, layout.height) / m_ratio;
        if (layout.frames.size() == 1) {
            m_single = QImage::fromData(data);
            if (m_single.isNull()) {
                return 0;
            }
        } else {
            for (std::size_t i = 0; i < layout.frames.size(); ++i) {
                const QImage picture = QImage::fromData(layout.standaloneFrame(data, i), "GIF");
                if (picture.isNull()) {
                    continue;  // a frame that does not decode is left out
                }
                const GifLayout::Frame& blocks = layout.frames[i];
                // The decoder gives the frame on the whole screen; only its own area is its.
                m_frames.push_back(
                    {picture.copy(blocks.rect), blocks.rect, blocks.delay, blocks.disposal});
            }
            if (m_frames.empty()) {
                return 0;
            }
        }
    }
    resize(m_size);
    m_background = palette().color(QPalette::Button);
    m_composed = QImage(m_size * m_ratio, QImage::Format_ARGB32_Premultiplied);
    m_composed.fill(palette().color(QPalette::Window));
    m_loaded = true;
    return 1;
}

int CGifPlayer::frameDelayMs(int i) const {
    const int delay = m_frames.at(static_cast<std::size_t>(i)).delay;
    // A frame without timing (no control extension) is shown as briefly as a fast one.
    return delay > 4 ? delay * 10 : 100;
}

bool CGifPlayer::isAnimating() const {
    return m_frameTimer->isActive();
}

QImage CGifPlayer::composed() const {
    return m_composed.copy();
}

int CGifPlayer::Draw() {
    if (!m_loaded) {
        return 0;
    }
    if (m_frames.size() > 1) {
        if (!m_frameTimer->isActive()) {
            renderCurrent();
            repaintIfSeen();
            m_frameTimer->start(frameDelayMs(m_current));
        }
        return 0;
    }
    {
        QPainter p(&m_composed);
        p.drawImage(QRect(QPoint(0, 0), m_single.size()), m_single);
    }
    update();
    return 1;
}

void CGifPlayer::renderCurrent() {
    const Frame& frame = m_frames[static_cast<std::size_t>(m_current)];
    if (frame.disposal == 3) {
        m_saved = m_composed.copy(frame.rect);
    }
    QPainter p(&m_composed);
    p.drawImage(frame.rect, frame.picture);
}

void CGifPlayer::disposeCurrent() {
    const Frame& frame = m_frames[static_cast<std::size_t>(m_current)];
    if (frame.disposal == 2) {
        QPainter p(&m_composed);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(frame.rect, m_background);
    } else if (frame.disposal == 3 && !m_saved.isNull()) {
        QPainter p(&m_composed);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(frame.rect.topLeft(), m_saved);
        m_saved = QImage();
    }
}

void CGifPlayer::showNextFrame() {
    if (m_frames.empty()) {
        return;
    }
    renderCurrent();
    disposeCurrent();
    ++m_current;
    if (m_current >= static_cast<int>(m_frames.size())) {
        m_current = 0;
        m_composed.fill(m_background);
    }
}

void CGifPlayer::nextFrame() {
    if (m_frames.size() < 2) {
        return;
    }
    disposeCurrent();
    ++m_current;
    if (m_current >= static_cast<int>(m_frames.size())) {
        m_current = 0;
        m_composed.fill(m_background);
    }
    renderCurrent();
    repaintIfSeen();
    m_frameTimer->start(frameDelayMs(m_current));
}

void CGifPlayer::repaintIfSeen() {
    // A window out of sight (minimised, or hidden in the tray) is not repainted for a frame
    // nobody sees; it shows the frame of the moment when it comes back.
    if (isVisible() && !window()->isMinimized()) {
        update();
    }
}

void CGifPlayer::Stop() {
    m_frameTimer->stop();
}

void CGifPlayer::Unload() {
    Stop();
    m_frames.clear();
    m_single = QImage();
    m_composed = QImage();
    m_saved = QImage();
    m_current = 0;
    m_size = QSize();
    m_ratio = 1;
    m_isGif = false;
    m_loaded = false;
    m_background = Qt::white;
}

void CGifPlayer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_composed.isNull()) {
        // The composed picture's own pixels onto the screen's: one to one at the density it
        // was made for.
        p.drawImage(QRect(QPoint(0, 0), m_size), m_composed);
    }
}
