#pragma once

#include "app/AppContext.h"

#include <QApplication>

#include <memory>

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

    CPlayerApp(int& argc, char** argv);
    ~CPlayerApp() override;

    // The whole run; the process's exit code.
    int InitInstance();
    AppContext& context() { return m_context; }

    // Starts the registration companion when the playback control is not registered yet.
    static void RegisterPlaybackControl(const QString& programFolder);

private:
    AppContext m_context;
    std::unique_ptr<SingleInstance> m_instance;
};
