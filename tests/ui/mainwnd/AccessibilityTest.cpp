#include "account/CLoginDlg.h"
#include "catalogue/CChannelTreeCtrl.h"
#include "mainwnd/CMainDlg.h"
#include "session/AppContext.h"
#include "session/ClientSession.h"
#include "support/ManualClock.h"
#include "support/QtWait.h"
#include "support/RefService.h"
#include "support/UiFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Every element a screen reader finds below IFACE, as "role name".
QStringList Elements(QAccessibleInterface* iface, int depth = 0) {
    QStringList found;
    for (int i = 0; iface != nullptr && depth < 12 && i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child == nullptr || child->state().invisible) {
            continue;
        }
        found << QStringLiteral("%1 %2").arg(child->role()).arg(child->text(QAccessible::Name));
        found << Elements(child, depth + 1);
    }
    return found;
}

QString Element(QAccessible::Role role, const QString& name) {
    return QStringLiteral("%1 %2").arg(role).arg(name);
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.running());
        m_context.m_strExeDir = m_service.programFolder();
    }

    ManualClock m_clock;
    UiFixture m_ui;
    RefService m_service;
    AppContext m_context{QString(), m_clock};
    ClientSession m_session{m_context};
};

}  // namespace

TEST_F(AccessibilityTest, TheMainWindowNamesEveryControlAndReportsTheListsRows) {
    CMainDlg dialog(m_session);
    QSignalSpy finished(&dialog, &CMainDlg::startupFinished);
    dialog.startUp();
    dialog.show();
    ASSERT_TRUE(finished.wait(20000));
    const QStringList elements = Elements(QAccessible::queryAccessibleInterface(&dialog));
    for (const QString& expected :
         {Element(QAccessible::Button, QStringLiteral("メニュー")),
          Element(QAccessible::Button, QStringLiteral("トップ")),
          Element(QAccessible::Button, QStringLiteral("最小化")),
          Element(QAccessible::Button, QStringLiteral("最大化")),
          Element(QAccessible::Button, QStringLiteral("閉じる")),
          Element(QAccessible::Button, QStringLiteral("ログイン")),
          Element(QAccessible::Button, QStringLiteral("側面を隠されます")),
          Element(QAccessible::EditableText, QStringLiteral("チャンネル検索")),
          Element(QAccessible::Tree, QStringLiteral("チャンネル一覧")),
          Element(QAccessible::TreeItem, QStringLiteral("人気チャンネル")),
          Element(QAccessible::Client, QStringLiteral("再生画面"))}) {
        EXPECT_TRUE(elements.contains(expected)) << elements.join('\n').toStdString();
    }

    // The rows say whether they are open and which is chosen, as the list shows it.
    CChannelTreeCtrl* tree = dialog.tree();
    const ChannelNode* popular = tree->popularGroupItem();
    ASSERT_NE(popular, nullptr);
    tree->setCurrentItem(popular);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tree);
    QAccessibleInterface* row = nullptr;
    for (int i = 0; list != nullptr && i < list->childCount(); ++i) {
        if (list->child(i)->text(QAccessible::Name) == popular->text()) {
            row = list->child(i);
        }
    }
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->state().expanded);
    EXPECT_TRUE(row->state().selected);

    // A caption button pressed from the keyboard does what a click does, and is renamed.
    QAbstractButton* topMost = dialog.captionKey(SkinFrame::kTopMost);
    topMost->setFocus(Qt::TabFocusReason);
    QTest::keyClick(topMost, Qt::Key_Space);
    EXPECT_TRUE(dialog.topMost());
    EXPECT_EQ(topMost->accessibleName(), QStringLiteral("キャンセルトップ"));
}

TEST_F(AccessibilityTest, TheSignInDialogNamesItsPaintedLabelsFields) {
    CLoginDlg login(m_session, nullptr);
    login.show();
    const QStringList elements = Elements(QAccessible::queryAccessibleInterface(&login));
    for (const QString& expected :
         {Element(QAccessible::EditableText, QStringLiteral("VELO ID")),
          Element(QAccessible::EditableText, QStringLiteral("パスワード")),
          Element(QAccessible::CheckBox, QStringLiteral("自動ログイン")),
          Element(QAccessible::Button, QStringLiteral("ログイン")),
          Element(QAccessible::Button, QStringLiteral("新規登録はこちら")),
          Element(QAccessible::Button, QStringLiteral("パスワードを忘れた")),
          Element(QAccessible::Button, QStringLiteral("閉じる"))}) {
        EXPECT_TRUE(elements.contains(expected)) << expected.toStdString();
    }
}
