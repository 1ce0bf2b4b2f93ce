// How long the user waits for television: from StartPlay to the first frame on screen, and from
// one channel's StartPlay to the next channel's first frame (a zap), with the playback control
// module against the reference service on loopback. The mpv command plays the same addresses
// side by side, driven over its JSON IPC, as the yardstick. Also: the longest single render call
// (on the GUI thread in software, on the renderer's thread with OpenGL), and the longest the GUI
// thread's event loop went without turning.
//
// usage: bench_zap [RUNS]   (20 by default; prints medians and the ratios)
#include "playback/PlaybackControl.h"
#include "support/ServiceProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kChannels[] = {101, 201, 301, 401, 501, 601};
constexpr int kDeadlineMs = 20000;
const QString kUser = QStringLiteral("demo@velo.example");
const QString kPassword = QStringLiteral("demo1234");

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void pause(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

bool waitFor(const std::function<bool()>& test) {
    QElapsedTimer waited;
    waited.start();
    while (!test()) {
        if (waited.elapsed() > kDeadlineMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
    }
    return true;
}

// The reference service on a loopback address of its own, its streams only (no datagrams).
class Service {
public:
    bool start() {
        QString error;
        if (!m_process.start(m_data.path(), {"--udp-port", "0"}, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        return true;
    }
    QString url(int channel) const {
        return QStringLiteral("%1/live/%2.ts").arg(m_process.serverUrl()).arg(channel);
    }

private:
    QTemporaryDir m_data;
    ServiceProcess m_process;
};

// The mpv command's video output beside the control's: the same kind of drawing on the same
// display (OpenGL through Mesa's software renderer, or X11 images), or none at all where the
// control draws off screen.
QStringList mpvVideoOutput(const QString& controlOutput) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return {"--vo=null", "--untimed"};
    }
    if (controlOutput == QLatin1String("opengl")) {
        return {"--vo=gpu", "--gpu-sw=yes", "--force-window=yes"};
    }
    return {"--vo=x11", "--force-window=yes"};
}

// mpv told what to play over its IPC socket, with VIDEO as its output.
class MpvCommand {
public:
    bool start(const QStringList& video) {
        m_socketPath = m_folder.filePath(QStringLiteral("ipc"));
        const QString auth =
            QStringLiteral("Authorization: Basic %1")
                .arg(QString::fromLatin1((kUser + ':' + kPassword).toUtf8().toBase64()));
        m_process.setProgram(QStringLiteral("mpv"));
        m_process.setArguments(QStringList{"--no-config", "--idle=yes", "--ao=null", "--ytdl=no",
                                           "--terminal=no", "--network-timeout=10",
                                           "--stream-lavf-o=reconnect=1,reconnect_streamed=1,"
                                           "reconnect_on_network_error=1,reconnect_delay_max=2",
                                           "--http-header-fields=" + auth,
                                           "--input-ipc-server=" + m_socketPath} +
                               video);
        m_process.start();
        if (!m_process.waitForStarted(10000)) {
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 10000) {
            m_socket.connectToServer(m_socketPath);
            if (m_socket.waitForConnected(200)) {
                return true;
            }
            QThread::msleep(20);
        }
        return false;
    }
    ~MpvCommand() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    void stop() {
        m_socket.write(R"({"command":["stop"]})"
                       "\n");
        m_socket.flush();
    }
    // Milliseconds from the load command to mpv's first video frame of ADDRESS; -1 on failure.
    double play(const QString& address) {
        const QByteArray command =
            QJsonDocument(QJsonObject{{"command", QJsonArray{"loadfile", address, "replace"}}})
                .toJson(QJsonDocument::Compact) +
            '\n';
        QElapsedTimer took;
        took.start();
        m_socket.write(command);
        m_socket.flush();
        QByteArray buffer;
        while (took.elapsed() < kDeadlineMs) {
            if (!m_socket.waitForReadyRead(100)) {
                continue;
            }
            buffer += m_socket.readAll();
            qsizetype end;
            while ((end = buffer.indexOf('\n')) >= 0) {
                const QJsonObject event = QJsonDocument::fromJson(buffer.left(end)).object();
                buffer.remove(0, end + 1);
                if (event.value("event").toString() == QLatin1String("playback-restart")) {
                    return took.nsecsElapsed() / 1e6;
                }
            }
        }
        return -1;
    }

private:
    QTemporaryDir m_folder;
    QString m_socketPath;
    QProcess m_process;
    QLocalSocket m_socket;
};

// The process start to the first video frame: mpv told to show one frame and end.
double mpvColdStart(const QString& address) {
    const QString auth =
        QStringLiteral("Authorization: Basic %1")
            .arg(QString::fromLatin1((kUser + ':' + kPassword).toUtf8().toBase64()));
    QProcess mpv;
    QElapsedTimer took;
    took.start();
    mpv.start(QStringLiteral("mpv"),
              {"--no-config", "--vo=null", "--untimed", "--ao=null", "--ytdl=no", "--terminal=no",
               "--frames=1", "--http-header-fields=" + auth, address});
    return mpv.waitForFinished(kDeadlineMs) ? took.nsecsElapsed() / 1e6 : -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("VELO_AUDIO_OUTPUT", "null");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    Service service;
    if (!service.start()) {
        std::fprintf(stderr, "bench_zap: the reference service did not start\n");
        return 1;
    }
    QLibrary module(QStringLiteral(VELO_ZAR_MODULE));
    const auto create =
        reinterpret_cast<VeloCreateControlFunction>(module.resolve(kCreateControlSymbol));
    const auto destroy =
        reinterpret_cast<VeloDestroyControlFunction>(module.resolve(kDestroyControlSymbol));
    if (create == nullptr || destroy == nullptr) {
        std::fprintf(stderr, "bench_zap: %s\n", qPrintable(module.errorString()));
        return 1;
    }
    QWidget host;
    host.resize(585, 500);
    host.show();
    PlaybackControl* control = create(&host);
    control->widget()->setGeometry(0, 2, 585, 498);
    control->widget()->show();
    control->invoke(PlaybackControl::kSetLoginId, {kUser});
    control->invoke(PlaybackControl::kSetLoginPassword, {kPassword});
    control->invoke(PlaybackControl::kInitPlayer, {});
    waitFor([control] {
        return control->invoke(PlaybackControl::kQueryState, {qint32(1)}).toInt() == 1;
    });
    const auto playing = [control] {
        return control->invoke(PlaybackControl::kQueryState, {qint32(2)}).toInt() != 0;
    };
    const auto play = [&](int channel) {
        control->invoke(PlaybackControl::kStopPlay, {});
        control->invoke(PlaybackControl::kSetPlayAddress, {service.url(channel)});
        control->invoke(PlaybackControl::kSetChannelName, {QString::number(channel)});
        QElapsedTimer took;
        took.start();
        control->invoke(PlaybackControl::kStartPlay, {});
        return waitFor(playing) ? took.nsecsElapsed() / 1e6 : -1.0;
    };

    // How long the GUI thread's event loop goes without turning, measured by a 1 ms timer.
    qint64 longestGapUs = 0;
    QElapsedTimer sinceTurn;
    QTimer turn;
    turn.setInterval(1);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        longestGapUs = std::max(longestGapUs, sinceTurn.nsecsElapsed() / 1000);
        sinceTurn.restart();
    });

    play(kChannels[0]);  // warms the clip caches and the decoder libraries
    sinceTurn.start();
    turn.start();
    std::vector<double> starts;
    std::vector<double> zaps;
    for (int i = 0; i < runs; ++i) {
        control->invoke(PlaybackControl::kStopPlay, {});
        pause(300);
        starts.push_back(play(kChannels[i % 6]));
        pause(300);
        zaps.push_back(play(kChannels[(i + 1) % 6]));
        pause(300);
    }
    turn.stop();
    const qint64 longestRenderUs = control->widget()
                                       ->findChild<QObject*>(QStringLiteral("playerView"))
                                       ->property("longestRenderUs")
                                       .toLongLong();
    const QString output = control->widget()
                               ->findChild<QObject*>(QStringLiteral("playerView"))
                               ->property("videoOutput")
                               .toString();
    control->invoke(PlaybackControl::kStopPlay, {});
    destroy(control);

    MpvCommand mpv;
    std::vector<double> mpvStarts;
    std::vector<double> mpvZaps;
    std::vector<double> mpvCold;
    const QStringList mpvVideo = mpvVideoOutput(output);
    if (!mpv.start(mpvVideo)) {
        std::fprintf(stderr, "bench_zap: the mpv command did not start\n");
    } else {
        mpv.play(service.url(kChannels[0]));
        for (int i = 0; i < runs; ++i) {
            mpv.stop();
            pause(300);
            mpvStarts.push_back(mpv.play(service.url(kChannels[i % 6])));
            pause(300);
            mpvZaps.push_back(mpv.play(service.url(kChannels[(i + 1) % 6])));
            pause(300);
        }
        for (int i = 0; i < std::min(runs, 5); ++i) {
            mpvCold.push_back(mpvColdStart(service.url(kChannels[i % 6])));
        }
    }

    const double start = median(starts);
    const double zap = median(zaps);
    const double mpvStart = median(mpvStarts);
    const double mpvZap = median(mpvZaps);
    std::printf("runs: %d, video output: %s, platform: %s, loopback HTTP MPEG-TS 640x360 25 fps\n",
                runs, qPrintable(output), qPrintable(QGuiApplication::platformName()));
    std::printf("the mpv command: %s\n", qPrintable(mpvVideo.join(QLatin1Char(' '))));
    std::printf("%-36s %10s %10s %8s\n", "median, ms", "control", "mpv", "ratio");
    std::printf("%-36s %10.1f %10.1f %8.2f\n", "StartPlay to first frame", start, mpvStart,
                mpvStart > 0 ? start / mpvStart : 0);
    std::printf("%-36s %10.1f %10.1f %8.2f\n", "zap: next StartPlay to first frame", zap, mpvZap,
                mpvZap > 0 ? zap / mpvZap : 0);
    std::printf("%-36s %10s %10.1f\n", "mpv process start to first frame", "", median(mpvCold));
    std::printf("longest render call (%s): %.2f ms\n",
                output == QLatin1String("opengl") ? "renderer's thread" : "GUI thread",
                longestRenderUs / 1000.0);
    std::printf("longest GUI event-loop gap while playing: %.2f ms\n", longestGapUs / 1000.0);
    return 0;
}
