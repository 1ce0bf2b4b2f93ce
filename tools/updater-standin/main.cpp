// The demo's stand-in for the updater the client starts: a small window with the updater's
// title saying that the new version is being prepared.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("VELOオンラインアップグレードサーバ "));
    window.setFixedSize(380, 140);
    window.setStyleSheet(
        QStringLiteral("QWidget { background: #0b1a2a; color: #d8e6f0; }"
                       "QLabel#headline { color: #ffbc00; font-weight: bold; }"));
    auto* layout = new QVBoxLayout(&window);
    auto* headline = new QLabel(QStringLiteral("VELO オンラインアップグレード"), &window);
    headline->setObjectName(QStringLiteral("headline"));
    layout->addWidget(headline);
    layout->addWidget(new QLabel(QStringLiteral("新しいバージョンを準備しています…"), &window));
    layout->addWidget(new QLabel(QStringLiteral("しばらくお待ちください。"), &window));
    window.show();
    return app.exec();
}
