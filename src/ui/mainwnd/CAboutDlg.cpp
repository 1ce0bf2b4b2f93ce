#include "mainwnd/CAboutDlg.h"
#include "widgets/SharpImage.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

QString CAboutDlg::description() {
    return QStringList{QStringLiteral("VELOは世界在外邦人向け、ライブテレビ共有のクラ"),
                       QStringLiteral("イアントソフトウェアです。またインターネット"),
                       QStringLiteral("技術に基づいており、ライブテレビを伝送するプ"),
                       QStringLiteral("ラットフォームです。お客様には非常に簡単で、"),
                       QStringLiteral("流暢に、オンラインライブ日本テレビを見るこ"),
                       QStringLiteral("とができます")}
        .join(QStringLiteral("\r\n"));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kTitle);
    // Modal to the window that opened it only, so that the tray icon's menu still reaches the
    // main window while the box is open.
    setWindowModality(Qt::WindowModal);
    // The box's dialog units at the usual 1.5 / 1.625 pixels each.
    setFixedSize(287, 161);
    auto* icon = new QLabel(this);
    icon->setPixmap(
        SharpImage::scaledTo(SharpImage::pixmap(QStringLiteral(":/icon/128")), QSize(30, 30)));
    icon->setGeometry(16, 5, 30, 32);
    auto* version = new QLabel(kVersion, this);
    version->setGeometry(57, 13, 210, 16);
    m_site = new QLabel(kSite, this);
    m_site->setGeometry(16, 40, 210, 16);
    m_site->hide();  // set, but never shown
    auto* mail = new QLabel(kMail, this);
    mail->setGeometry(21, 44, 240, 16);
    m_description = new QPlainTextEdit(this);
    m_description->setReadOnly(true);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_description->setPlainText(description().left(512));
    m_description->setGeometry(16, 66, 258, 60);
    // Each line of the description ends where the text breaks it; set a size smaller when
    // needed, so that no line breaks again and leaves a character or two on a line of its own.
    const int room = m_description->width() - 2 * m_description->frameWidth() -
                     m_description->verticalScrollBar()->sizeHint().width() -
                     2 * static_cast<int>(std::ceil(m_description->document()->documentMargin())) -
                     2;
    QFont text = m_description->font();
    int pixels = 10;
    const auto widest = [&text, &pixels] {
        text.setPixelSize(pixels);
        int width = 0;
        for (const QString& line : description().split(QStringLiteral("\r\n"))) {
            width = std::max(width, QFontMetrics(text).horizontalAdvance(line));
        }
        return width;
    };
    while (pixels > 7 && widest() > room) {
        --pixels;
    }
    text.setPixelSize(pixels);
    m_description->setFont(text);
    auto* copyright = new QLabel(kCopyright, this);
    copyright->setGeometry(15, 136, 225, 16);
    QFont small = copyright->font();
    small.setPixelSize(9);
    copyright->setFont(small);
    auto* ok = new QPushButton(kOk, this);
    ok->setDefault(true);
    ok->setGeometry(240, 133, 35, 20);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
