#include "mainwnd/CTVProgramDlg.h"

#include "support/ManualClock.h"
#include "support/MessageCounter.h"
#include "widgets/CGifPlayer.h"
#include "widgets/Messages.h"

#include <QTest>

#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

class CTVProgramDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_owner.resize(300, 300);
        m_notice.setGeometry(10, 40, 205, 80);
        m_owner.show();
    }
    void tick() {
        // One second of the countdown.
        m_clock.advance(1000);
        QCoreApplication::processEvents();
    }

    ManualClock m_clock;
    MessageCounter m_owner{Messages::kRetryChannelList};
    CTVProgramDlg m_notice{m_clock, &m_owner};
};

}  // namespace

TEST_F(CTVProgramDlgTest, CountsDownFromTenThenAsksForTheRetry) {
    m_notice.startCountdown();
    EXPECT_TRUE(m_notice.isVisible());
    EXPECT_EQ(m_notice.countdownText(), QStringLiteral("10秒後再びダウンロード！"));
    for (int left = 9; left >= 1; --left) {
        tick();
        EXPECT_EQ(m_notice.countdownText(), QStringLiteral("%1秒後再びダウンロード！").arg(left));
        EXPECT_FALSE(m_notice.retryRequested());
    }
    tick();
    EXPECT_TRUE(m_notice.retryRequested());
    EXPECT_EQ(m_notice.face(), CTVProgramDlg::kUsed);
    EXPECT_EQ(m_owner.count, 1);
    EXPECT_TRUE(m_notice.loading()->isVisible());
    tick();
    EXPECT_EQ(m_owner.count, 1) << "later ticks change nothing";

    // Starting again begins at ten.
    m_notice.startCountdown();
    EXPECT_EQ(m_notice.countdownText(), QStringLiteral("10秒後再びダウンロード！"));
    EXPECT_FALSE(m_notice.retryRequested());
}

TEST_F(CTVProgramDlgTest, ButtonActsOnlyWhenReleasedOnIt) {
    m_notice.startCountdown();
    const QRect button = m_notice.buttonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_EQ(button.bottom(), m_notice.height() - 1 - 3);
    QTest::mouseMove(&m_notice, button.center());
    EXPECT_EQ(m_notice.face(), CTVProgramDlg::kHover);
    QTest::mousePress(&m_notice, Qt::LeftButton, {}, button.center());
    EXPECT_EQ(m_notice.face(), CTVProgramDlg::kPressed);
    QTest::mouseRelease(&m_notice, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(m_notice.face(), CTVProgramDlg::kNormal);
    EXPECT_FALSE(m_notice.retryRequested());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_owner.count, 0);

    QTest::mousePress(&m_notice, Qt::LeftButton, {}, button.center());
    QTest::mouseRelease(&m_notice, Qt::LeftButton, {}, button.center());
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_notice.retryRequested());
    EXPECT_EQ(m_owner.count, 1);
    // Once asked, the pointer changes nothing.
    QTest::mouseMove(&m_notice, button.center());
    EXPECT_EQ(m_notice.face(), CTVProgramDlg::kUsed);
}

TEST_F(CTVProgramDlgTest, ItsLinesFitAboveTheButtonHoweverShortTheNoticeIs) {
    m_notice.startCountdown();
    for (const int height : {30, 50, 64, 80, 120}) {
        m_notice.resize(205, height);
        for (QLabel* label : {m_notice.headlineLabel(), m_notice.countdownLabel()}) {
            const QFontMetrics metrics(label->font());
            EXPECT_LE(label->geometry().bottom(), m_notice.buttonRect().top()) << height;
            EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << height;
            // Lower than two lines of the smallest text and the button, the text is cut, never
            // covered.
            if (height >= 50) {
                EXPECT_LE(metrics.height(), label->height()) << height;
            }
        }
    }
}
