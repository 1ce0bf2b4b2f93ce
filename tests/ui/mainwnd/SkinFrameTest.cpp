#include "mainwnd/SkinFrame.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QSize kWindow(800, 530);

}  // namespace

TEST(SkinFrame, PointerZonesInTheirOrder) {
    const struct {
        QPoint at;
        int zone;
    } cases[] = {
        {{0, 0}, SkinFrame::kTopLeft},
        {{4, 4}, SkinFrame::kTopLeft},
        {{5, 0}, SkinFrame::kTop},
        {{400, 2}, SkinFrame::kTop},
        {{400, 3}, SkinFrame::kCaption},
        {{799, 24}, SkinFrame::kCaption},
        {{794, 1}, SkinFrame::kTop},
        {{796, 1}, SkinFrame::kTopRight},
        {{0, 25}, SkinFrame::kLeft},
        {{1, 300}, SkinFrame::kLeft},
        {{2, 300}, SkinFrame::kInner},
        {{797, 300}, SkinFrame::kInner},
        {{798, 300}, SkinFrame::kRight},
        {{799, 519}, SkinFrame::kRight},
        {{0, 528}, SkinFrame::kBottomLeft},
        {{300, 528}, SkinFrame::kBottom},
        {{796, 528}, SkinFrame::kBottomRight},
        {{799, 521}, SkinFrame::kBottomRight},
        {{800, 300}, SkinFrame::kNothing},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SkinFrame::zoneForPointer(kWindow, c.at), c.zone) << c.at.x() << "," << c.at.y();
    }
}

TEST(SkinFrame, PressZonesPutTheCaptionFirstAndWidenTheLeftEdge) {
    EXPECT_EQ(SkinFrame::zoneForPress(kWindow, {2, 3}), SkinFrame::kCaption);
    EXPECT_EQ(SkinFrame::zoneForPointer(kWindow, {2, 3}), SkinFrame::kTopLeft);
    EXPECT_EQ(SkinFrame::zoneForPress(kWindow, {4, 300}), SkinFrame::kLeft);
    EXPECT_EQ(SkinFrame::zoneForPointer(kWindow, {4, 300}), SkinFrame::kInner);
    EXPECT_EQ(SkinFrame::zoneForPress(kWindow, {400, 300}), SkinFrame::kNothing);
}

TEST(SkinFrame, CursorsFollowTheEdge) {
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kTopLeft), Qt::SizeFDiagCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kBottomRight), Qt::SizeFDiagCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kTopRight), Qt::SizeBDiagCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kBottomLeft), Qt::SizeBDiagCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kLeft), Qt::SizeHorCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kRight), Qt::SizeHorCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kTop), Qt::SizeVerCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kBottom), Qt::SizeVerCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kCaption), Qt::ArrowCursor);
    EXPECT_EQ(SkinFrame::cursorFor(SkinFrame::kInner), Qt::ArrowCursor);
}

namespace {

// Drags EDGE from FROM to TO in steps of STEP pixels, as the timer follows the cursor.
QRect drag(int edge, QRect window, QPoint from, QPoint to, int step) {
    QPoint anchor = from;
    QPoint cursor = from;
    while (cursor != to) {
        const QPoint rest = to - cursor;
        cursor += QPoint(std::clamp(rest.x(), -step, step), std::clamp(rest.y(), -step, step));
        const QRect next = SkinFrame::dragStep(edge, window, anchor, cursor, false);
        if (next != window) {
            window = next;
            anchor = cursor;
        }
    }
    return window;
}

}  // namespace

TEST(SkinFrame, DraggingInwardsStopsAtTheLeastSize) {
    const QRect window(100, 100, 800, 530);
    // The right corners follow the cursor until the width would reach 300.
    const QRect bottomRight = drag(SkinFrame::kBottomRight, window, {898, 628}, {200, 628}, 7);
    EXPECT_GE(bottomRight.width(), 300);
    EXPECT_LE(bottomRight.width(), 310);
    EXPECT_EQ(bottomRight.topLeft(), window.topLeft());
    const QRect topRight = drag(SkinFrame::kTopRight, window, {898, 101}, {150, 101}, 5);
    EXPECT_GE(topRight.width(), 300);
    EXPECT_LE(topRight.width(), 310);
    // The left edge alone may go to 200.
    const QRect left = drag(SkinFrame::kLeft, window, {101, 400}, {880, 400}, 9);
    EXPECT_GE(left.width(), 200);
    EXPECT_LE(left.width(), 210);
    EXPECT_EQ(left.right(), window.right());
    // The bottom stops at 200 pixels high.
    const QRect bottom = drag(SkinFrame::kBottom, window, {500, 628}, {500, 120}, 6);
    EXPECT_GE(bottom.height(), 200);
    EXPECT_LE(bottom.height(), 210);
    // Outwards there is no limit, and the dragged edge stays under the cursor.
    const QRect wider = drag(SkinFrame::kRight, window, {898, 300}, {1098, 300}, 10);
    EXPECT_EQ(wider.width(), 1000);
}

TEST(SkinFrame, CaptionMovesTheWindowUnlessMaximised) {
    const QRect window(100, 100, 800, 530);
    EXPECT_EQ(SkinFrame::dragStep(SkinFrame::kCaption, window, {300, 110}, {350, 90}, false),
              window.translated(50, -20));
    EXPECT_EQ(SkinFrame::dragStep(SkinFrame::kCaption, window, {300, 110}, {350, 90}, true),
              window);
}

TEST(SkinFrame, PaintsFromTheSkinFolderAndPlacesTheButtons) {
    QTemporaryDir folder;
    EXPECT_EQ(SkinFrame(folder.path()).captionHeight(), SkinFrame::kDefaultCaption)
        << "a missing skin still gives a caption";

    SkinFrame frame(QStringLiteral(VELO_PROGRAM_DIR));
    const QImage caption(QStringLiteral(VELO_PROGRAM_DIR "/skin/UL_N.bmp"));
    ASSERT_FALSE(caption.isNull());
    EXPECT_EQ(frame.captionHeight(), caption.height() - 4);
    EXPECT_EQ(frame.margins(), QMargins(4, caption.height(), 4, 4));

    QImage window(kWindow, QImage::Format_RGB32);
    window.fill(Qt::magenta);
    QPainter painter(&window);
    SkinFrame::State state;
    state.hover = SkinFrame::kClose;
    frame.paint(painter, kWindow, state, QPixmap());
    painter.end();
    const QRect minimise = frame.buttonRect(SkinFrame::kMinimise);
    EXPECT_EQ(minimise.topLeft(), QPoint(800 - 70, 2));
    EXPECT_EQ(frame.buttonRect(SkinFrame::kTopMost).topLeft(), QPoint(800 - 91, 2));
    EXPECT_EQ(frame.buttonRect(SkinFrame::kMaximise).left(), minimise.right() + 1);
    EXPECT_EQ(frame.buttonRect(SkinFrame::kClose).left(),
              frame.buttonRect(SkinFrame::kMaximise).right() + 1);
    EXPECT_EQ(frame.buttonAt(frame.buttonRect(SkinFrame::kClose).center()), SkinFrame::kClose);
    // The close button shows its hover face.
    const QImage hover(QStringLiteral(VELO_PROGRAM_DIR "/skin/BTN_CLS2.bmp"));
    const QPoint inside = frame.buttonRect(SkinFrame::kClose).topLeft() + QPoint(4, 4);
    EXPECT_EQ(window.pixel(inside), hover.pixel(4, 4));
    // Nothing of the window is left unpainted at the edges.
    EXPECT_NE(window.pixel(1, 300), QColor(Qt::magenta).rgb());
    EXPECT_NE(window.pixel(400, 528), QColor(Qt::magenta).rgb());
    EXPECT_NE(window.pixel(400, 10), QColor(Qt::magenta).rgb());
    EXPECT_EQ(SkinFrame::buttonFile(SkinFrame::kTopMost, SkinFrame::Face::Pressed, false, false),
              QStringLiteral("BTN_TOP3"));
    EXPECT_EQ(SkinFrame::buttonFile(SkinFrame::kTopMost, SkinFrame::Face::Pressed, true, false),
              QStringLiteral("BTN_NOMAL3"));
    EXPECT_EQ(SkinFrame::buttonFile(SkinFrame::kTopMost, SkinFrame::Face::Normal, true, false),
              QStringLiteral("BTN_NOMAL1"));
    EXPECT_EQ(SkinFrame::buttonFile(SkinFrame::kMaximise, SkinFrame::Face::Hover, false, true),
              QStringLiteral("BTN_NOM2"));
}
