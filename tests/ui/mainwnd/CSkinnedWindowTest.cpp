#include "mainwnd/CSkinnedWindow.h"
#include "support/QtWait.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The smallest skinned window: a black client area and nothing on it.
class PlainWindow : public CSkinnedWindow {
public:
    PlainWindow() : CSkinnedWindow(QStringLiteral(VELO_PROGRAM_DIR)) { resize(400, 300); }

protected:
    void paintClient(QPainter& painter) override { painter.fillRect(rect(), Qt::black); }
    void layoutClient() override {}
};

}  // namespace

TEST(CSkinnedWindow, TheTopMostButtonShowsTheStateItsPressBrings) {
    PlainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.grab();  // paints the whole window now
    const QPoint button = window.frame().buttonRect(SkinFrame::kTopMost).center();
    ASSERT_FALSE(button.isNull());
    EXPECT_EQ(window.frame().paintedFile(SkinFrame::kTopMost), QStringLiteral("BTN_TOP1"));

    // Held down, the button shows the pressed face of the state the press brought.
    QTest::mousePress(&window, Qt::LeftButton, {}, button);
    EXPECT_TRUE(window.topMost());
    window.grab();
    EXPECT_EQ(window.frame().paintedFile(SkinFrame::kTopMost), QStringLiteral("BTN_NOMAL3"));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, button);
    // Changing the top-most flag shows the window anew.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.grab();  // paints the whole window now
    EXPECT_EQ(window.frame().paintedFile(SkinFrame::kTopMost), QStringLiteral("BTN_NOMAL1"));
    EXPECT_EQ(window.captionTip(button), CSkinnedWindow::kCancelTopMostTip);

    QTest::mousePress(&window, Qt::LeftButton, {}, button);
    EXPECT_FALSE(window.topMost());
    window.grab();
    EXPECT_EQ(window.frame().paintedFile(SkinFrame::kTopMost), QStringLiteral("BTN_TOP3"));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, button);
    EXPECT_EQ(window.captionTip(button), CSkinnedWindow::kTopMostTip);
}

TEST(CSkinnedWindow, AMaximisedWindowComesBackMaximisedFromTheTaskbar) {
    PlainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.showMaximized();
    ASSERT_SOON(window.isMaximized(), 5000);
    window.showMinimized();
    ASSERT_SOON(window.isMinimized(), 5000);
    window.restoreFromMinimised();
    ASSERT_SOON(!window.isMinimized(), 5000);
    EXPECT_TRUE(window.isMaximized());

    // A window that was not maximised comes back as it was.
    window.showNormal();
    ASSERT_SOON(!window.isMaximized(), 5000);
    window.showMinimized();
    ASSERT_SOON(window.isMinimized(), 5000);
    window.restoreFromMinimised();
    ASSERT_SOON(!window.isMinimized(), 5000);
    EXPECT_FALSE(window.isMaximized());
}
