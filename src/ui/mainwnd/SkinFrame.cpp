#include "mainwnd/SkinFrame.h"

#include "platform/ProgramFolder.h"
#include "widgets/SharpImage.h"

#include <QPainter>

namespace {

// A point in a rectangle given by its corners, right and bottom excluded.
bool within(QPoint p, int left, int top, int right, int bottom) {
    return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
}

}  // namespace

SkinFrame::SkinFrame(const QString& folder) : m_folder(folder) {
    const QImage caption = load(QStringLiteral("UL_N"));
    const int captionHeight = SharpImage::sizeOf(caption).height();
    if (!caption.isNull() && captionHeight > 8) {
        m_caption = captionHeight - 4;
    }
}

QImage SkinFrame::load(const QString& name) const {
    // Read anew for every painting, as a skin may change under a running program.
    return SharpImage::image(
        ProgramFolder::file(m_folder, QStringLiteral("skin/%1.bmp").arg(name)));
}

QMargins SkinFrame::margins() const {
    return QMargins(kEdge, m_caption + 4, kEdge, kEdge);
}

int SkinFrame::zoneForPointer(const QSize& size, QPoint p) {
    const int r = size.width();
    const int b = size.height();
    // One zone a line, as a table.
    // clang-format off
    if (within(p, 0, 0, 5, 5)) return kTopLeft;
    if (within(p, 5, 0, r - 5, 3)) return kTop;
    if (within(p, 0, 3, r, 25)) return kCaption;
    if (within(p, r - 5, 0, r, 5)) return kTopRight;
    if (within(p, 0, 25, 2, b - 2)) return kLeft;
    if (within(p, 0, 25, r - 2, b - 2)) return kInner;
    if (within(p, r - 3, 30, r, b - 10)) return kRight;
    if (within(p, 0, b - 5, 5, b)) return kBottomLeft;
    if (within(p, 0, b - 3, r - 5, b)) return kBottom;
    if (within(p, r - 10, b - 10, r, b)) return kBottomRight;
    // clang-format on
    return kNothing;
}

int SkinFrame::zoneForPress(const QSize& size, QPoint p) {
    const int r = size.width();
    const int b = size.height();
    // One zone a line, as a table.
    // clang-format off
    if (within(p, 0, 3, r, 25)) return kCaption;
    if (within(p, 0, 0, 5, 5)) return kTopLeft;
    if (within(p, 5, 0, r - 5, 3)) return kTop;
    if (within(p, r - 5, 0, r, 5)) return kTopRight;
    if (within(p, 0, 25, 5, b - 5)) return kLeft;
    if (within(p, r - 3, 30, r, b - 10)) return kRight;
    if (within(p, 0, b - 5, 5, b)) return kBottomLeft;
    if (within(p, 0, b - 3, r - 5, b)) return kBottom;
    if (within(p, r - 10, b - 10, r, b)) return kBottomRight;
    // clang-format on
    return kNothing;
}

Qt::CursorShape SkinFrame::cursorFor(int edge) {
    switch (edge) {
        case kTopLeft:
        case kBottomRight:
            return Qt::SizeFDiagCursor;
        case kTopRight:
        case kBottomLeft:
            return Qt::SizeBDiagCursor;
        case kLeft:
        case kRight:
            return Qt::SizeHorCursor;
        case kBottom:
        case kTop:
            return Qt::SizeVerCursor;
        default:
            return Qt::ArrowCursor;
    }
}

QRect SkinFrame::dragStep(int edge, const QRect& window, QPoint anchor, QPoint cursor,
                          bool maximised) {
    // Edges as the corners of the rectangle, right and bottom excluded.
    int l = window.left();
    int t = window.top();
    int r = window.left() + window.width();
    int b = window.top() + window.height();
    const int x = cursor.x();
    const int y = cursor.y();
    const int dx = x - anchor.x();
    const int dy = y - anchor.y();
    const int L = l;
    const int T = t;
    const int R = r;
    const int B = b;
    switch (edge) {
        case kCaption:
            if (maximised) {
                return window;
            }
            return window.translated(dx, dy);
        case kTopLeft:
            if (!(y < B - 200 && x < R - 300))
                return window;
            l = x;
            t = y;
            break;
        case kTop:
            if (!(y < B - 200))
                return window;
            t = y;
            break;
        case kTopRight:
            if (!(y < B - 200 && x > L + 300))
                return window;
            t = y;
            r += dx;
            break;
        case kLeft:
            if (!(x < R - 200))
                return window;
            l = x;
            break;
        case kRight:
            if (!(x > L + 300))
                return window;
            r += dx;
            break;
        case kBottomLeft:
            if (!(y > T + 200 && x < R - 300))
                return window;
            l = x;
            b += dy;
            break;
        case kBottom:
            if (!(y > T + 200))
                return window;
            b += dy;
            break;
        case kBottomRight:
            if (!(y > T + 200 && x > L + 300))
                return window;
            r += dx;
            b += dy;
            break;
        default:
            return window;
    }
    return QRect(l, t, r - l, b - t);
}

QString SkinFrame::buttonFile(Button button, Face face, bool topMost, bool maximised) {
    QString base;
    switch (button) {
        case kTopMost:
            base = topMost ? QStringLiteral("BTN_NOMAL") : QStringLiteral("BTN_TOP");
            break;
        case kMinimise:
            base = QStringLiteral("BTN_MIN");
            break;
        case kMaximise:
            base = maximised ? QStringLiteral("BTN_NOM") : QStringLiteral("BTN_MAX");
            break;
        case kClose:
            base = QStringLiteral("BTN_CLS");
            break;
        case kNoButton:
            return {};
    }
    return base + QString::number(static_cast<int>(face));
}

void SkinFrame::tile(QPainter& painter, const QString& name, const QRect& area) const {
    const QImage image = load(name);
    if (image.isNull() || area.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(area);
    const QSize step = SharpImage::sizeOf(image);
    for (int y = area.top(); y < area.top() + area.height(); y += step.height()) {
        for (int x = area.left(); x < area.left() + area.width(); x += step.width()) {
            painter.drawImage(x, y, image);
        }
    }
    painter.restore();
}

void SkinFrame::paint(QPainter& painter, const QSize& size, const State& state,
                      const QPixmap& icon) {
    const int w = size.width();
    const int h = size.height();
    const int h4 = m_caption + 4;

    const QImage leftCap = load(QStringLiteral("C2_N"));
    const QImage rightCap = load(QStringLiteral("C1_N"));
    painter.drawImage(0, 0, leftCap);
    painter.drawImage(w - SharpImage::sizeOf(rightCap).width(), 0, rightCap);
    const int captionLeft = std::max(0, SharpImage::sizeOf(leftCap).width() - 3);
    tile(painter, QStringLiteral("UL_N"),
         QRect(captionLeft, 0, w - SharpImage::sizeOf(rightCap).width() - captionLeft, h4));
    if (!icon.isNull()) {
        painter.drawPixmap(QRect(10, 4, m_caption - 4, m_caption - 4), icon);
    }

    const auto face = [&](Button button) {
        if (state.pressed == button)
            return Face::Pressed;
        if (state.hover == button)
            return Face::Hover;
        return Face::Normal;
    };
    const auto draw = [&](Button button, int x) {
        const QString file = buttonFile(button, face(button), state.topMost, state.maximised);
        m_painted[button] = file;
        const QImage image = load(file);
        painter.drawImage(x, 2, image);
        m_buttons[button] = QRect(QPoint(x, 2), SharpImage::sizeOf(image));
        return x + m_buttons[button].width();
    };
    draw(kTopMost, w - 91);
    painter.drawImage(w - 70, 2, load(QStringLiteral("BTN_SEP")));
    const int afterMinimise = draw(kMinimise, w - 70);
    const int afterMaximise = draw(kMaximise, afterMinimise);
    draw(kClose, afterMaximise);

    tile(painter, QStringLiteral("R_Frm"), QRect(0, h4, kEdge, h - h4));
    tile(painter, QStringLiteral("R_Frm"), QRect(w - kEdge, h4, kEdge, h - h4));
    tile(painter, QStringLiteral("B_Frm"), QRect(0, h - kEdge, w, kEdge));
    const QImage corner = load(QStringLiteral("B_Frm"));
    if (state.active) {
        painter.drawImage(w - kEdge - SharpImage::sizeOf(corner).width(), h - kEdge, corner);
    }
    painter.drawImage(0, h - kEdge, corner);
    painter.drawImage(w - kEdge, h - kEdge, corner);
}

QRect SkinFrame::buttonRect(Button button) const {
    return m_buttons[button];
}

SkinFrame::Button SkinFrame::buttonAt(QPoint p) const {
    for (Button button : {kTopMost, kMinimise, kMaximise, kClose}) {
        if (m_buttons[button].contains(p)) {
            return button;
        }
    }
    return kNoButton;
}

QRect SkinFrame::iconRect() const {
    return QRect(QPoint(2, 2), QPoint(m_caption + 3, m_caption + 3));
}
