#include "mainwnd/CAboutDlg.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

TEST(CAboutDlg, EachLineOfTheDescriptionFitsTheBoxWithoutBreakingAgain) {
    CAboutDlg about;
    about.show();
    QCoreApplication::processEvents();
    const QTextDocument* text = about.descriptionEdit()->document();
    ASSERT_EQ(text->blockCount(), 6);
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        ASSERT_NE(block.layout(), nullptr);
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
    EXPECT_EQ(about.descriptionEdit()->toPlainText(),
              CAboutDlg::description().replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
        << "the text itself as it stands";
}
