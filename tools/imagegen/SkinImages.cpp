// The images of the skinned window: the frame files of the skin folder, the splash, the list's
// scroll bar, the retry notice and the animations.
#include "ImageSet.h"
#include "Painting.h"
#include "ProgramVersion.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

using Painting::heightOf;
using Painting::kAccent;
using Painting::kText;
using Painting::rectOf;
using Painting::widthOf;

QFont font(int pixelSize, bool bold = false) {
    return Painting::uiFont(pixelSize, bold);
}

void vertical(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
    Painting::verticalGradient(p, r, top, bottom);
}

// The caption band: every caption piece shares it, so they join without seams.
void captionBand(QPainter& p, const QRect& r) {
    vertical(p, r, QColor(28, 46, 62), QColor(12, 20, 28));
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), QColor(8, 12, 16));
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), QColor(52, 82, 104));
}

enum class Glyph { Pin, Pinned, Minimise, Maximise, Restore, Close };

void captionButton(QImage& image, Glyph glyph, int state) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    captionBand(p, QRect(0, -2, widthOf(image), 30));
    const QRectF face(1.5, 1.5, widthOf(image) - 3, heightOf(image) - 3);
    if (state > 0) {
        const bool close = glyph == Glyph::Close;
        QColor fill = close ? QColor(196, 52, 40) : QColor(24, 96, 136);
        if (state == 2) {
            fill = fill.darker(140);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(face, 3, 3);
    }
    const QColor ink = state == 0 ? QColor(176, 196, 210) : Qt::white;
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c(widthOf(image) / 2.0, heightOf(image) / 2.0);
    switch (glyph) {
        case Glyph::Minimise:
            p.drawLine(QPointF(c.x() - 4, c.y() + 3), QPointF(c.x() + 4, c.y() + 3));
            break;
        case Glyph::Maximise:
            p.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 7));
            p.drawLine(QPointF(c.x() - 4, c.y() - 3), QPointF(c.x() + 4, c.y() - 3));
            break;
        case Glyph::Restore:
            p.drawRect(QRectF(c.x() - 4, c.y() - 2, 6, 5));
            p.drawPolyline(QPolygonF()
                           << QPointF(c.x() - 2, c.y() - 4) << QPointF(c.x() + 4, c.y() - 4)
                           << QPointF(c.x() + 4, c.y() + 1));
            break;
        case Glyph::Close:
            p.drawLine(QPointF(c.x() - 3.5, c.y() - 3.5), QPointF(c.x() + 3.5, c.y() + 3.5));
            p.drawLine(QPointF(c.x() + 3.5, c.y() - 3.5), QPointF(c.x() - 3.5, c.y() + 3.5));
            break;
        case Glyph::Pin:
        case Glyph::Pinned: {
            // A push pin, upright when the window floats above the others.
            p.save();
            p.translate(c);
            if (glyph == Glyph::Pin) {
                p.rotate(45);
            }
            p.setBrush(glyph == Glyph::Pinned ? kAccent.lighter(120) : Qt::NoBrush);
            p.drawRoundedRect(QRectF(-2.5, -5, 5, 5), 1, 1);
            p.drawLine(QPointF(-4, 0), QPointF(4, 0));
            p.drawLine(QPointF(0, 0), QPointF(0, 5));
            p.restore();
            break;
        }
    }
}

void frameEdge(QImage& image) {
    QPainter p(&image);
    p.fillRect(rectOf(image), QColor(18, 28, 37));
    p.fillRect(0, 0, 1, heightOf(image), QColor(44, 66, 84));
}

void bottomEdge(QImage& image) {
    QPainter p(&image);
    p.fillRect(rectOf(image), QColor(18, 28, 37));
    p.fillRect(0, heightOf(image) - 1, widthOf(image), 1, QColor(44, 66, 84));
}

void scrollArrow(QImage& image, bool up) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    vertical(p, rectOf(image), QColor(24, 36, 48), QColor(16, 25, 34));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 160, 190));
    QPainterPath arrow;
    if (up) {
        arrow.moveTo(7.5, 5);
        arrow.lineTo(11, 10);
        arrow.lineTo(4, 10);
    } else {
        arrow.moveTo(7.5, 10);
        arrow.lineTo(11, 5);
        arrow.lineTo(4, 5);
    }
    arrow.closeSubpath();
    p.drawPath(arrow);
}

void thumbPiece(QImage& image, int part) {
    QPainter p(&image);
    p.fillRect(rectOf(image), QColor(11, 17, 23));
    const QColor body(38, 64, 86);
    if (part == 1) {  // middle
        p.fillRect(QRect(2, 0, 11, heightOf(image)), body);
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        const qreal y = part == 0 ? 0.5 : -4.5;
        p.drawRoundedRect(QRectF(2, y, 11, 8), 3, 3);
    }
}

void retryFace(QImage& image, int state) {
    image.fill(QColor(0x11, 0x11, 0x11));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, widthOf(image) - 1, heightOf(image) - 1);
    QColor top(36, 56, 74);
    QColor bottom(20, 32, 44);
    QColor ink = kText;
    if (state == 1) {
        top = QColor(22, 118, 168);
        bottom = QColor(10, 70, 104);
        ink = Qt::white;
    } else if (state == 2) {
        top = QColor(8, 44, 66);
        bottom = QColor(12, 62, 92);
    } else if (state == 3) {
        top = QColor(30, 34, 38);
        bottom = QColor(24, 27, 30);
        ink = QColor(110, 118, 124);
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QColor(52, 84, 108));
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
    p.setPen(ink);
    p.setFont(font(11, true));
    p.drawText(rectOf(image), Qt::AlignCenter,
               state == 3 ? QStringLiteral("取得中…") : QStringLiteral("今すぐ再取得"));
}

void splashBackground(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    vertical(p, rectOf(image), QColor(16, 34, 50), QColor(6, 10, 14));
    QRadialGradient glow(QPointF(150, 60), 170);
    glow.setColorAt(0, QColor(20, 110, 160, 110));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(rectOf(image), glow);
    // The program's mark: a play sign in a rounded square.
    QLinearGradient mark(0, 28, 0, 72);
    mark.setColorAt(0, QColor(20, 160, 214));
    mark.setColorAt(1, QColor(8, 70, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    p.drawRoundedRect(QRectF(44, 30, 44, 44), 10, 10);
    p.setBrush(Qt::white);
    QPainterPath play;
    play.moveTo(60, 41);
    play.lineTo(76, 52);
    play.lineTo(60, 63);
    play.closeSubpath();
    p.drawPath(play);
    p.setPen(Qt::white);
    p.setFont(font(34, true));
    p.drawText(QRect(100, 24, 190, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VELO"));
    p.setPen(QColor(150, 196, 222));
    p.setFont(font(12));
    p.drawText(QRect(102, 62, 190, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ライブテレビクライアント"));
    p.setPen(QColor(120, 146, 164));
    p.setFont(font(11));
    p.drawText(QRect(0, 112, 300, 18), Qt::AlignCenter,
               QStringLiteral("チャンネルリストを読み込んでいます…"));
    p.setPen(QColor(70, 90, 104));
    p.setFont(font(9));
    p.drawText(QRect(0, 150, 292, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Version ") + QLatin1String(kProgramVersion));
}

// A bar with a light running along it.
void progressFrame(QImage& image, int frame) {
    image.fill(QColor(8, 14, 20));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 40, 54));
    p.drawRoundedRect(QRectF(0, 0, widthOf(image), heightOf(image)), 3, 3);
    const qreal x = (frame / 12.0) * (widthOf(image) + 40) - 40;
    QLinearGradient run(x, 0, x + 40, 0);
    run.setColorAt(0, QColor(5, 153, 201, 0));
    run.setColorAt(0.6, QColor(60, 200, 245));
    run.setColorAt(1, QColor(5, 153, 201, 0));
    p.setBrush(run);
    p.drawRoundedRect(QRectF(0, 0, widthOf(image), heightOf(image)), 3, 3);
}

// Eight dots round a circle, the bright one moving on.
void spinnerFrame(QImage& image, int frame) {
    image.fill(QColor(0x11, 0x11, 0x11));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF c(widthOf(image) / 2.0, heightOf(image) / 2.0);
    for (int i = 0; i < 8; ++i) {
        const double angle = i * M_PI / 4;
        const int age = (frame - i + 8) % 8;
        p.setBrush(QColor(5, 153, 201, 255 - age * 28));
        p.drawEllipse(c + QPointF(std::cos(angle) * 6.5, std::sin(angle) * 6.5), 1.8, 1.8);
    }
}

// A small label beside a group's name: "HOT" for the popular group, "NEW" for the latest; the
// selected forms are brighter.
void badgeFrame(QImage& image, int frame, bool hot, bool selected) {
    image.fill(QColor(15, 22, 29));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double pulse = 0.5 + 0.5 * std::sin(frame * M_PI / 3);
    QColor base = hot ? QColor(226, 84, 36) : QColor(40, 170, 90);
    if (selected) {
        base = base.lighter(125);
    }
    const QColor fill =
        QColor::fromRgbF(base.redF() * (0.75 + 0.25 * pulse), base.greenF() * (0.75 + 0.25 * pulse),
                         base.blueF() * (0.75 + 0.25 * pulse));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, widthOf(image) - 1, heightOf(image) - 1), 4, 4);
    p.setPen(Qt::white);
    p.setFont(font(9, true));
    p.drawText(rectOf(image), Qt::AlignCenter, hot ? QStringLiteral("HOT") : QStringLiteral("NEW"));
}

}  // namespace

void ImageSet::addSkinAndScreenImages() {
    // The frame: caption pieces are 30 pixels high, so the caption is 26.
    addSkin(QStringLiteral("UL_N"), 16, 30, [](QImage& i) {
        QPainter p(&i);
        captionBand(p, rectOf(i));
    });
    addSkin(QStringLiteral("C2_N"), 40, 30, [](QImage& i) {
        QPainter p(&i);
        captionBand(p, rectOf(i));
        p.fillRect(0, 0, 1, heightOf(i), QColor(44, 66, 84));
    });
    addSkin(QStringLiteral("C1_N"), 8, 30, [](QImage& i) {
        QPainter p(&i);
        captionBand(p, rectOf(i));
        p.fillRect(widthOf(i) - 1, 0, 1, heightOf(i), QColor(44, 66, 84));
    });
    const struct {
        const char* name;
        Glyph glyph;
        int width;
    } buttons[] = {{"BTN_TOP", Glyph::Pin, 21},      {"BTN_NOMAL", Glyph::Pinned, 21},
                   {"BTN_MIN", Glyph::Minimise, 22}, {"BTN_MAX", Glyph::Maximise, 22},
                   {"BTN_NOM", Glyph::Restore, 22},  {"BTN_CLS", Glyph::Close, 22}};
    for (const auto& button : buttons) {
        for (int state = 0; state < 3; ++state) {
            const Glyph glyph = button.glyph;
            addSkin(QStringLiteral("%1%2").arg(QLatin1String(button.name)).arg(state + 1),
                    button.width, 18,
                    [glyph, state](QImage& i) { captionButton(i, glyph, state); });
        }
    }
    addSkin(QStringLiteral("BTN_SEP"), 22, 18, [](QImage& i) {
        QPainter p(&i);
        captionBand(p, QRect(0, -2, widthOf(i), 30));
    });
    addSkin(QStringLiteral("R_Frm"), 4, 16, frameEdge);
    addSkin(QStringLiteral("B_Frm"), 4, 4, bottomEdge);

    addBitmap(222, 300, 170, splashBackground);
    addBitmap(231, 15, 15, [](QImage& i) { scrollArrow(i, true); });
    addBitmap(232, 15, 15, [](QImage& i) { scrollArrow(i, false); });
    addBitmap(233, 15, 4, [](QImage& i) { i.fill(QColor(11, 17, 23)); });
    addBitmap(234, 15, 4, [](QImage& i) { thumbPiece(i, 0); });
    addBitmap(235, 15, 4, [](QImage& i) { thumbPiece(i, 1); });
    addBitmap(236, 15, 4, [](QImage& i) { thumbPiece(i, 2); });
    addBitmap(237, 15, 8, [](QImage& i) {
        thumbPiece(i, 1);
        QPainter p(&i);
        for (int y = 1; y < 8; y += 3) {
            p.fillRect(5, y, 5, 1, QColor(90, 130, 160));
        }
    });
    for (int state = 0; state < 4; ++state) {
        addBitmap(251 + state, 96, 22, [state](QImage& i) { retryFace(i, state); });
    }

    addGif(225, 180, 6, 12, progressFrame);
    addGif(255, 18, 18, 8, spinnerFrame);
    addGif(246, 30, 14, 6, [](QImage& i, int f) { badgeFrame(i, f, true, false); });
    addGif(247, 30, 14, 6, [](QImage& i, int f) { badgeFrame(i, f, true, true); });
    addGif(248, 30, 14, 6, [](QImage& i, int f) { badgeFrame(i, f, false, false); });
    addGif(249, 30, 14, 6, [](QImage& i, int f) { badgeFrame(i, f, false, true); });
}

void ImageSet::addGif(int id, int width, int height, int frames,
                      std::function<void(QImage&, int)> drawFrame) {
    Entry entry{Kind::Gif, id, width, height, {}, {}, frames, 20, std::move(drawFrame)};
    m_entries.push_back(std::move(entry));
}

void ImageSet::addSkin(const QString& name, int width, int height,
                       std::function<void(QImage&)> draw) {
    Entry entry{Kind::Skin, 0, width, height, std::move(draw), name, 1, 0, {}};
    m_entries.push_back(std::move(entry));
}
