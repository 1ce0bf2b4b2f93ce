// usage: screencheck SCREENSHOT [WINDOWX WINDOWY]
// Without a position the 800 x 530 window is taken to stand centred, as it opens.
#include <QGuiApplication>
#include <QImage>

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

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
        const int white = count(shot, QRect(origin + QPoint(clientWidth - 210, top), QSize(190, 25)),
                                [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; });
        rows += white >= 8 ? 1 : 0;
    }
    // The logo page's title is in the program's blue.
    const int logo = count(shot, QRect(origin + QPoint(2, 2), QSize(clientWidth - 219, clientHeight - 5)),
                           [](QRgb p) { return near(p, 5, 153, 201, 40); });

    const bool ok = status >= 25 && rows >= 8 && logo >= 50;
    std::printf("status-line pixels %d, channel rows %d, logo pixels %d: %s\n", status, rows, logo,
                ok ? "client ready" : "not yet");
    return ok ? 0 : 1;
}
