#include "ImageSet.h"

#include "Painting.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

using Painting::heightOf;
using Painting::kAccent;
using Painting::kText;
using Painting::rectOf;
using Painting::uiFont;
using Painting::verticalGradient;
using Painting::widthOf;

const QColor kGreen(104, 176, 48);
const QColor kMagenta(255, 0, 255);

// A rounded push-button face with centred text.
void buttonFace(QImage& image, const QString& text, int state, int width) {
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(0.5, 0.5, width - 1, heightOf(image) - 1);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    QColor border;
    QColor textColour = kText;
    switch (state) {
        case 0:  // normal
            gradient.setColorAt(0, QColor(36, 56, 74));
            gradient.setColorAt(1, QColor(20, 32, 44));
            border = QColor(52, 84, 108);
            break;
        case 1:  // hover
            gradient.setColorAt(0, QColor(22, 118, 168));
            gradient.setColorAt(1, QColor(10, 70, 104));
            border = QColor(64, 170, 220);
            textColour = Qt::white;
            break;
        default:  // pressed
            gradient.setColorAt(0, QColor(8, 44, 66));
            gradient.setColorAt(1, QColor(12, 62, 92));
            border = QColor(30, 100, 140);
            textColour = QColor(170, 210, 236);
            break;
    }
    p.setPen(QPen(border, 1));
    p.setBrush(gradient);
    p.drawRoundedRect(rect, 4, 4);
    p.setPen(textColour);
    // A few pixels clear of the border on each side: a long label is set smaller, not squeezed
    // against the edges.
    constexpr int kClear = 4;
    int pixels = 11;
    while (pixels > 8 &&
           QFontMetrics(uiFont(pixels, true)).horizontalAdvance(text) > width - 2 * kClear) {
        --pixels;
    }
    p.setFont(uiFont(pixels, true));
    p.drawText(QRectF(0, state == 2 ? 1 : 0, width, heightOf(image)), Qt::AlignCenter, text);
}

// A link-like text button of the login dialog.
void linkFace(QImage& image, const QString& text, int state, const QColor& background) {
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = uiFont(11);
    font.setUnderline(state != 0);
    p.setFont(font);
    p.setPen(state == 0   ? QColor(110, 190, 235)
             : state == 1 ? QColor(170, 225, 255)
                          : QColor(70, 140, 190));
    p.drawText(QRect(2, 0, widthOf(image) - 2, heightOf(image)), Qt::AlignLeft | Qt::AlignVCenter,
               text);
}

void closeFace(QImage& image, int state, const QColor& background) {
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = state == 0   ? QColor(150, 170, 186)
                          : state == 1 ? QColor(255, 96, 80)
                                       : QColor(190, 50, 40);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.5, 1.5), QPointF(8.5, 8.5));
    p.drawLine(QPointF(8.5, 1.5), QPointF(1.5, 8.5));
}

void sideArrow(QImage& image, bool pointsRight, int state) {
    image.fill(state == 2 ? QColor(8, 40, 60) : QColor(20, 28, 36));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(state == 0 ? QColor(120, 150, 170) : kAccent.lighter(130));
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(1.5, 1.5);
        path.lineTo(4.8, 4.5);
        path.lineTo(1.5, 7.5);
    } else {
        path.moveTo(4.5, 1.5);
        path.lineTo(1.2, 4.5);
        path.lineTo(4.5, 7.5);
    }
    path.closeSubpath();
    p.drawPath(path);
}

void expandMark(QImage& image, bool expanded) {
    image.fill(kMagenta);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(143, 190, 224));
    QPolygon triangle;
    if (expanded) {
        triangle << QPoint(1, 3) << QPoint(9, 3) << QPoint(5, 8);
    } else {
        triangle << QPoint(3, 1) << QPoint(8, 5) << QPoint(3, 9);
    }
    p.drawPolygon(triangle);
}

void channelDot(QImage& image, const QColor& colour) {
    image.fill(Qt::white);  // white is the transparent colour of these marks
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(2, 2, 5, 5));
}

void groupRow(QImage& image, bool selected) {
    QPainter p(&image);
    // Pure black is the transparent colour of these rows; every pixel here is lighter.
    if (selected) {
        verticalGradient(p, rectOf(image), QColor(16, 74, 108), QColor(10, 44, 66));
        p.fillRect(0, 0, 3, heightOf(image), kAccent);
    } else {
        verticalGradient(p, rectOf(image), QColor(30, 42, 54), QColor(19, 28, 37));
        p.fillRect(0, 0, 3, heightOf(image), QColor(44, 64, 80));
    }
    p.fillRect(0, heightOf(image) - 1, widthOf(image), 1, QColor(40, 56, 70));
    p.fillRect(0, 0, widthOf(image), 1, QColor(46, 62, 76));
}

void loginBackground(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, rectOf(image), QColor(22, 32, 42), QColor(11, 16, 22));
    // Title band.
    verticalGradient(p, QRectF(0, 0, widthOf(image), 40), QColor(14, 66, 98), QColor(10, 40, 60));
    p.fillRect(0, 40, widthOf(image), 1, kAccent);
    p.setPen(Qt::white);
    p.setFont(uiFont(15, true));
    p.drawText(QRect(20, 0, 300, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VELO ログイン"));
    p.setPen(QColor(150, 190, 215));
    p.setFont(uiFont(11));
    p.drawText(QRect(140, 0, 230, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ライブテレビの世界へようこそ"));

    // Labels for the fields the dialog has no label controls for.
    p.setFont(uiFont(12, true));
    p.setPen(kText);
    p.drawText(QRect(10, 65, 76, 18), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("VELO ID"));
    p.drawText(QRect(10, 99, 76, 18), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("パスワード"));
    p.setFont(uiFont(11));
    p.setPen(QColor(176, 198, 214));
    p.drawText(QRect(115, 131, 80, 21), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("自動ログイン"));

    // Frames behind the two edits.
    p.setPen(QColor(52, 84, 108));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(90.5, 63.5, 183, 21), 3, 3);
    p.drawRoundedRect(QRectF(90.5, 97.5, 183, 21), 3, 3);
    p.setPen(QColor(30, 44, 56));
    p.drawLine(20, 158, 390, 158);
}

// The account forms share the sign-in dialog's looks: a title band, light labels before the
// fields the forms have no label controls for, and frames behind the edits.
void accountTitle(QPainter& p, int width, int bandHeight, const QString& title,
                  const QString& subtitle) {
    verticalGradient(p, QRectF(0, 0, width, bandHeight), QColor(14, 66, 98), QColor(10, 40, 60));
    p.fillRect(0, bandHeight, width, 1, kAccent);
    p.setPen(Qt::white);
    p.setFont(uiFont(15, true));
    const QRect titleRect(20, 0, width - 60, bandHeight);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, title);
    const int titleWidth = p.fontMetrics().horizontalAdvance(title);
    p.setPen(QColor(150, 190, 215));
    p.setFont(uiFont(11));
    p.drawText(QRect(20 + titleWidth + 16, 0, width - titleWidth - 80, bandHeight),
               Qt::AlignLeft | Qt::AlignVCenter, subtitle);
}

void editFrame(QPainter& p, const QRect& edit) {
    p.setPen(QColor(52, 84, 108));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(edit.x() - 1.5, edit.y() - 1.5, edit.width() + 3, edit.height() + 3),
                      3, 3);
}

void fieldLabel(QPainter& p, const QRect& where, const QString& text, int flags) {
    p.setFont(uiFont(12, true));
    p.setPen(kText);
    p.drawText(where, flags | Qt::AlignVCenter, text);
}

void hint(QPainter& p, const QRect& where, const QString& text) {
    p.setFont(uiFont(11));
    p.setPen(QColor(120, 146, 164));
    p.drawText(where, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void registerBackground(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, rectOf(image), QColor(22, 32, 42), QColor(11, 16, 22));
    accountTitle(p, widthOf(image), 40, QStringLiteral("VELO 新規登録"),
                 QStringLiteral("メールアドレスで登録"));
    const struct {
        int y;
        const char* label;
    } rows[] = {
        {67, "メールアドレス"}, {100, "パスワード"}, {133, "パスワード確認"}, {166, "確認コード"}};
    for (const auto& row : rows) {
        fieldLabel(p, QRect(10, row.y, 125, 18), QString::fromUtf8(row.label), Qt::AlignRight);
    }
    editFrame(p, QRect(143, 67, 190, 18));
    editFrame(p, QRect(143, 100, 190, 18));
    editFrame(p, QRect(143, 133, 190, 18));
    editFrame(p, QRect(143, 166, 50, 18));
    editFrame(p, QRect(198, 166, 50, 18));
    hint(p, QRect(340, 100, 95, 18), QStringLiteral("6～20文字"));
    hint(p, QRect(255, 166, 180, 18), QStringLiteral("画像をクリックで更新"));
    p.setPen(QColor(30, 44, 56));
    p.drawLine(20, 227, 420, 227);
}

void recoveryBackground(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    verticalGradient(p, rectOf(image), QColor(22, 32, 42), QColor(11, 16, 22));
    accountTitle(p, widthOf(image), 30, QStringLiteral("VELO パスワードの再発行"),
                 QStringLiteral("メールでお知らせします"));
    fieldLabel(p, QRect(25, 70, 300, 18), QStringLiteral("登録したメールアドレス"), Qt::AlignLeft);
    fieldLabel(p, QRect(25, 123, 200, 18), QStringLiteral("確認コード"), Qt::AlignLeft);
    editFrame(p, QRect(25, 92, 280, 20));
    editFrame(p, QRect(25, 145, 200, 20));
    editFrame(p, QRect(235, 145, 70, 20));
    hint(p, QRect(312, 145, 125, 20), QStringLiteral("画像をクリックで更新"));
    hint(p, QRect(25, 174, 400, 18),
         QStringLiteral("パスワードは登録したメールアドレスに送信されます"));
    p.setPen(QColor(30, 44, 56));
    p.drawLine(20, 198, 420, 198);
}

// The band above the channel list that carries the sign-in status and button.
void sideHeader(QImage& image) {
    QPainter p(&image);
    verticalGradient(p, rectOf(image), QColor(26, 46, 62), QColor(12, 20, 28));
    p.fillRect(0, 0, widthOf(image), 1, QColor(44, 70, 90));
    p.fillRect(0, heightOf(image) - 1, widthOf(image), 1, kAccent);
}

void divider(QImage& image) {
    QPainter p(&image);
    QLinearGradient gradient(0, 0, widthOf(image), 0);
    gradient.setColorAt(0, QColor(8, 12, 16));
    gradient.setColorAt(0.5, QColor(30, 44, 56));
    gradient.setColorAt(1, QColor(8, 12, 16));
    p.fillRect(rectOf(image), gradient);
    p.fillRect(3, 0, 1, heightOf(image), QColor(44, 66, 84));
}

void playingMark(QImage& image) {
    image.fill(QColor(4, 14, 24));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPainterPath path;
    path.moveTo(1.5, 1);
    path.lineTo(8, 4.5);
    path.lineTo(1.5, 8);
    path.closeSubpath();
    p.drawPath(path);
}

void playingBars(QImage& image) {
    image.fill(QColor(4, 14, 24));
    QPainter p(&image);
    p.fillRect(1, 4, 2, 5, kGreen);
    p.fillRect(4, 1, 2, 8, kGreen);
    p.fillRect(7, 3, 2, 6, kGreen);
}

void appIcon(QImage& image) {
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = widthOf(image);
    QLinearGradient gradient(0, 0, 0, s);
    gradient.setColorAt(0, QColor(20, 160, 214));
    gradient.setColorAt(1, QColor(8, 70, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);
    p.setBrush(Qt::white);
    QPainterPath play;
    play.moveTo(s * 0.38, s * 0.27);
    play.lineTo(s * 0.76, s * 0.5);
    play.lineTo(s * 0.38, s * 0.73);
    play.closeSubpath();
    p.drawPath(play);
}

}  // namespace

ImageSet::ImageSet() {
    const QColor loginCard(18, 27, 36);

    add(Kind::Icon, 128, 48, 48, appIcon);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        add(Kind::ThemeIcon, size, size, size, appIcon);
    }
    addBitmap(129, 11, 11, [](QImage& i) { expandMark(i, false); });
    addBitmap(130, 11, 11, [](QImage& i) { expandMark(i, true); });
    addBitmap(131, 10, 20, [](QImage& i) {
        QPainter p(&i);
        verticalGradient(p, rectOf(i), QColor(15, 22, 29), QColor(10, 15, 20));
    });
    addBitmap(134, 9, 9, playingMark);
    addBitmap(238, 9, 9, playingBars);
    addBitmap(145, 10, 2, [](QImage& i) {
        QPainter p(&i);
        p.fillRect(0, 0, 10, 1, QColor(24, 110, 156));
        p.fillRect(0, 1, 10, 1, QColor(10, 40, 58));
    });
    // Side-panel buttons: hide (arrow right) 155 normal, 156 hover, 157 pressed; show 158-160.
    addBitmap(155, 6, 9, [](QImage& i) { sideArrow(i, true, 0); });
    addBitmap(156, 6, 9, [](QImage& i) { sideArrow(i, true, 1); });
    addBitmap(157, 6, 9, [](QImage& i) { sideArrow(i, true, 2); });
    addBitmap(158, 6, 9, [](QImage& i) { sideArrow(i, false, 0); });
    addBitmap(159, 6, 9, [](QImage& i) { sideArrow(i, false, 1); });
    addBitmap(160, 6, 9, [](QImage& i) { sideArrow(i, false, 2); });
    addBitmap(166, 7, 452, divider);
    addBitmap(176, 9, 9, [](QImage& i) { channelDot(i, kAccent); });
    addBitmap(177, 9, 9, [](QImage& i) { channelDot(i, QColor(96, 118, 136)); });
    addBitmap(226, 208, 23, [](QImage& i) { groupRow(i, true); });
    addBitmap(227, 208, 23, [](QImage& i) { groupRow(i, false); });
    addBitmap(271, 190, 30, sideHeader);
    // Sign-in button: 272 normal, 273 hover, 274 pressed; sign-out: 275, 276, 277.
    for (int state = 0; state < 3; ++state) {
        addBitmap(272 + state, 52, 22,
                  [state](QImage& i) { buttonFace(i, QStringLiteral("ログイン"), state, 52); });
        addBitmap(275 + state, 52, 22,
                  [state](QImage& i) { buttonFace(i, QStringLiteral("ログアウト"), state, 52); });
    }
    addBitmap(279, 410, 200, loginBackground);
    addBitmap(280, 10, 10, [](QImage& i) { closeFace(i, 0, QColor(14, 66, 98)); });
    addBitmap(281, 10, 10, [](QImage& i) { closeFace(i, 1, QColor(14, 66, 98)); });
    addBitmap(282, 10, 10, [](QImage& i) { closeFace(i, 2, QColor(14, 66, 98)); });
    addBitmap(283, 105, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("新規登録はこちら"), 0, loginCard);
    });
    addBitmap(290, 105, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("新規登録はこちら"), 1, loginCard);
    });
    addBitmap(291, 105, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("新規登録はこちら"), 2, loginCard);
    });
    addBitmap(284, 110, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("パスワードを忘れた"), 0, loginCard);
    });
    addBitmap(288, 110, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("パスワードを忘れた"), 1, loginCard);
    });
    addBitmap(289, 110, 16, [loginCard](QImage& i) {
        linkFace(i, QStringLiteral("パスワードを忘れた"), 2, loginCard);
    });
    // The account forms: registration 306 with its submit button 309 normal, 310 pressed,
    // 311 hover; recovery 318 with 314 pressed, 315 hover, 316 normal.
    addBitmap(306, 440, 260, registerBackground);
    addBitmap(318, 440, 250, recoveryBackground);
    const int registerFaces[] = {309, 311, 310};
    const int recoveryFaces[] = {316, 315, 314};
    for (int state = 0; state < 3; ++state) {
        addBitmap(registerFaces[state], 76, 22,
                  [state](QImage& i) { buttonFace(i, QStringLiteral("登録"), state, 76); });
        addBitmap(recoveryFaces[state], 157, 22, [state](QImage& i) {
            buttonFace(i, QStringLiteral("パスワードを送信"), state, 157);
        });
    }
    addSkinAndScreenImages();
    addUpdateImages();
}

void ImageSet::add(Kind kind, int id, int width, int height, std::function<void(QImage&)> draw) {
    m_entries.push_back({kind, id, width, height, std::move(draw), {}, 1, 0, {}});
}
