#include "widgets/CCueEdit.h"
#include "widgets/CSkinButton.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

TEST(CCueEdit, ReadsEmptyWhileTheCueShowsAndTheFirstKeyReplacesIt) {
    CCueEdit edit;
    edit.SetCueText(QStringLiteral(" "));
    EXPECT_EQ(edit.text(), QStringLiteral(" "));
    EXPECT_EQ(edit.GetText(), QString());
    EXPECT_TRUE(edit.cueShowing());

    edit.SetText(QString());  // nothing to put in while the cue shows
    EXPECT_TRUE(edit.cueShowing());
    EXPECT_EQ(edit.text(), QStringLiteral(" "));

    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_FALSE(edit.cueShowing());
    EXPECT_EQ(edit.text(), QStringLiteral("a"));
    EXPECT_EQ(edit.GetText(), QStringLiteral("a"));
}

TEST(CCueEdit, RememberedTextEndsTheCue) {
    CCueEdit edit;
    edit.SetCueText(QStringLiteral(" "));
    edit.SetText(QStringLiteral("demo@velo.example"));
    EXPECT_FALSE(edit.cueShowing());
    EXPECT_EQ(edit.GetText(), QStringLiteral("demo@velo.example"));
    // A click no longer empties the field.
    QTest::mouseClick(&edit, Qt::LeftButton);
    EXPECT_EQ(edit.GetText(), QStringLiteral("demo@velo.example"));
}

TEST(CCueEdit, ClickIntoTheCueEmptiesTheField) {
    CCueEdit edit;
    edit.SetCueText(QStringLiteral("ID"));
    QTest::mouseClick(&edit, Qt::LeftButton);
    EXPECT_EQ(edit.text(), QString());
    EXPECT_FALSE(edit.cueShowing());
}

namespace {

QRgb pixelAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixel(x, y);
}

}  // namespace

TEST(CSkinButton, DrawsTheHoverAndPressedFacesFromItsBitmaps) {
    CSkinButton button;
    button.resize(52, 22);
    button.SetBitmaps(273, 272, 274, 272);  // sign-in: hover, normal, pressed, spare
    const QImage normal(QStringLiteral(":/bitmap/272"));
    const QImage hover(QStringLiteral(":/bitmap/273"));
    const QImage pressed(QStringLiteral(":/bitmap/274"));
    ASSERT_FALSE(normal.isNull());
    // A point inside the face where the three faces differ.
    const QPoint probe(4, 11);
    ASSERT_NE(normal.pixel(probe), hover.pixel(probe));
    ASSERT_NE(normal.pixel(probe), pressed.pixel(probe));

    EXPECT_EQ(pixelAt(button, probe.x(), probe.y()), normal.pixel(probe));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_EQ(pixelAt(button, probe.x(), probe.y()), hover.pixel(probe));
    button.setDown(true);
    EXPECT_EQ(pixelAt(button, probe.x(), probe.y()), pressed.pixel(probe));
    button.setDown(false);
    EXPECT_EQ(pixelAt(button, probe.x(), probe.y()), hover.pixel(probe))
        << "the hover face stays until the pointer leaves";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(pixelAt(button, probe.x(), probe.y()), normal.pixel(probe));
}

TEST(CSkinButton, SpareFaceIsNeverDrawn) {
    CSkinButton button;
    button.resize(52, 22);
    // 275 as the spare would show "ログアウト" if it were ever drawn.
    button.SetBitmaps(272, 272, 272, 275);
    const QImage normal(QStringLiteral(":/bitmap/272"));
    button.setDown(true);
    EXPECT_EQ(button.grab().toImage().convertToFormat(QImage::Format_RGB32),
              normal.convertToFormat(QImage::Format_RGB32));
}

TEST(CSkinButton, ClickReachesTheOwner) {
    CSkinButton button;
    button.resize(10, 10);
    button.SetBitmaps(281, 280, 282, 280);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}
