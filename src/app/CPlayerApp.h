#pragma once

#include "session/AppContext.h"

#include <QApplication>

#include <memory>

class ClientSession;
class SingleInstance;

// The client: one instance per user, the playback control made known, then the main window.
class CPlayerApp : public QApplication {
    Q_OBJECT

public:
    inline static const QString kCaption = QStringLiteral("VELOプロンプト ");
    inline static const QString kLockFailed =
        QStringLiteral("ビーコン対象に失敗し、プログラムが終了します！ ");
    inline static const QString kStillStarting =
        QStringLiteral("一つ実例が運行しています、プログラムが初期化中です... ");
    inline static const QString kInstanceName = QStringLiteral("VELO");
    // How long the end of a run waits for exchanges still under way (a last sign-out).
    static constexpr int kExitWaitMs = 3000;

    CPlayerApp(int& argc, char** argv);
    ~CPlayerApp() override;

    // The whole run; the process's exit code.
    int InitInstance();
    // Waits a bounded time for exchanges still running; false when some outlived the wait and
    // the process must end without tearing down what they might still use.
    bool finishExchanges();
    AppContext& context() { return m_context; }

    // Starts the registration companion when the playback control is not registered yet.
    static void RegisterPlaybackControl(const QString& programFolder);

private:
    AppContext m_context;
    std::unique_ptr<ClientSession> m_session;
    std::unique_ptr<SingleInstance> m_instance;
};
