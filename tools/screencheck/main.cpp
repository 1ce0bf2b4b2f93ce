// usage: screencheck SCREENSHOT [WINDOWX WINDOWY]
//        screencheck --playing SCREENSHOT LATERSCREENSHOT
// Without a position the 800 x 530 window is taken to stand centred, as it opens. With
// --playing, the two screenshots must show moving video in the player pane instead of the logo
// page.
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <functional>

#include <cstdio>
#include <cstdlib>

namespace {

bool near(QRgb pixel, int r, int g, int b, int tolerance) {
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

int count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    int found = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            found += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return found;
}

}  // namespace

// The player pane of the window centred in IMAGE, inside its top strip and frame.
QRect paneOf(const QImage& image) {
    const QPoint window((image.width() - 800) / 2, (image.height() - 530) / 2);
    return QRect(window + QPoint(4 + 2 + 2, 30 + 2 + 2), QSize(585 - 4, 496 - 8));
}

int checkPlaying(const QImage& first, const QImage& later) {
    const QRect pane = paneOf(first);
    int samples = 0;
    int differing = 0;
    int coloured = 0;
    int logo = 0;
    for (int y = pane.top(); y <= pane.bottom(); y += 3) {
        for (int x = pane.left(); x <= pane.right(); x += 3) {
            const QRgb a = first.pixel(x, y);
            const QRgb b = later.pixel(x, y);
            ++samples;
            differing += (a & 0xF0F0F0) != (b & 0xF0F0F0) ? 1 : 0;
            // Video of a test picture is bright and saturated; the logo page is dark.
            const int high = std::max({qRed(b), qGreen(b), qBlue(b)});
            const int low = std::min({qRed(b), qGreen(b), qBlue(b)});
            coloured += high > 90 && high - low > 60 ? 1 : 0;
            logo += near(b, 5, 153, 201, 40) ? 1 : 0;
        }
    }
    const double moved = samples > 0 ? double(differing) / samples : 0;
    const double colour = samples > 0 ? double(coloured) / samples : 0;
    const bool ok = moved > 0.02 && colour > 0.2 && logo < samples / 50;
    std::printf("pane: %.1f %% changed, %.1f %% coloured, logo pixels %d: %s\n", moved * 100,
                colour * 100, logo, ok ? "video playing" : "not yet");
    return ok ? 0 : 1;
}

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--playing") {
        const QImage first(QString::fromLocal8Bit(argv[2]));
        const QImage later(QString::fromLocal8Bit(argv[3]));
        if (first.isNull() || later.isNull() || first.size() != later.size()) {
            std::fprintf(stderr, "screencheck: cannot read both screenshots\n");
            return 2;
        }
        return checkPlaying(first, later);
    }
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: screencheck SCREENSHOT [WINDOWX WINDOWY]\n");
        return 2;
    }
    const QImage shot(QString::fromLocal8Bit(argv[1]));
    if (shot.isNull()) {
        std::fprintf(stderr, "screencheck: cannot read %s\n", argv[1]);
        return 2;
    }
    const QPoint window = argc == 4 ? QPoint(std::atoi(argv[2]), std::atoi(argv[3]))
                                    : QPoint((shot.width() - 800) / 2, (shot.height() - 530) / 2);
    // The client area starts inside the painted frame: 4 pixels in, below a 30-pixel caption.
    const QPoint origin = window + QPoint(4, 30);
    const int clientWidth = 800 - 8;
    const int clientHeight = 530 - 34;

    // The status line is orange text on the header band.
    const int status = count(shot, QRect(origin + QPoint(clientWidth - 209, 8), QSize(164, 16)),
                             [](QRgb p) { return near(p, 255, 188, 0, 60); });
    // Channel rows are white text in the list, one row every 25 pixels.
    int rows = 0;
    for (int top = 31; top + 25 <= clientHeight - 72; top += 25) {
        const int white =
            count(shot, QRect(origin + QPoint(clientWidth - 210, top), QSize(190, 25)),
                  [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; });
        rows += white >= 8 ? 1 : 0;
    }
    // The logo page's title is in the program's blue.
    const int logo =
        count(shot, QRect(origin + QPoint(2, 2), QSize(clientWidth - 219, clientHeight - 5)),
              [](QRgb p) { return near(p, 5, 153, 201, 40); });

    const bool ok = status >= 25 && rows >= 8 && logo >= 50;
    std::printf("status-line pixels %d, channel rows %d, logo pixels %d: %s\n", status, rows, logo,
                ok ? "client ready" : "not yet");
    return ok ? 0 : 1;
}
