#include "app/CPlayerApp.h"

#include "mainwnd/CMainDlg.h"
#include "mainwnd/CSplashScreenDlg.h"
#include "platform/ControlRegistry.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "playback/CDsopocx.h"
#include "session/ClientSession.h"

#include <QFile>
#include <QMessageBox>
#include <QProcess>

#include <clocale>

namespace {

// Marks the first paint of any window of the run, then steps aside.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(const AppContext& context, QObject* parent)
        : QObject(parent), m_context(context) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            QCoreApplication::instance()->removeEventFilter(this);
            m_context.traceEvent("first-paint");
        }
        return false;
    }

private:
    const AppContext& m_context;
};

}  // namespace

CPlayerApp::CPlayerApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Numbers in files and libraries are read the C way, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("VELO"));
    // Desktops match the window to the installed velo.desktop, its name and its icon, by this.
    setDesktopFileName(QStringLiteral("velo"));
    setQuitOnLastWindowClosed(false);
    m_context.m_strExeDir = ProgramFolder::path();
    m_context.m_strDataDir = ProgramFolder::dataFolder(m_context.m_strExeDir);
    m_context.trace = EventTrace::fromEnvironment();
    if (m_context.trace) {
        installEventFilter(new FirstPaintWatch(m_context, this));
        setProperty(EventTrace::kHostProperty,
                    QVariant::fromValue<QObject*>(m_context.trace.get()));
    }
    m_session = std::make_unique<ClientSession>(m_context);
}

CPlayerApp::~CPlayerApp() {
    // The trace goes with the context: a control marking after that finds none.
    setProperty(EventTrace::kHostProperty, QVariant());
}

bool CPlayerApp::finishExchanges() {
    return m_session->waitForExchanges(kExitWaitMs);
}

void CPlayerApp::RegisterPlaybackControl(const QString& programFolder) {
    // An entry whose module has gone (a moved or removed installation) is as good as none.
    if (ControlRegistry::hasClassId(CDsopocx::kProgId) &&
        QFile::exists(ControlRegistry::moduleFor(CDsopocx::kClassId))) {
        return;
    }
    // Registered by the companion, started hidden and not waited for.
    QProcess::startDetached(ProgramFolder::file(programFolder, QStringLiteral("velo-regctl")),
                            {QStringLiteral("/s"),
                             ProgramFolder::file(programFolder, QStringLiteral("codec/Zar.ocx"))});
}

int CPlayerApp::InitInstance() {
    m_instance = std::make_unique<SingleInstance>(kInstanceName);
    switch (m_instance->acquire()) {
        case SingleInstance::Outcome::Failed:
            QMessageBox::information(nullptr, kCaption, kLockFailed);
            return 1;
        case SingleInstance::Outcome::OtherHasWindow:
            return 0;
        case SingleInstance::Outcome::OtherStarting:
            QMessageBox::information(nullptr, kCaption, kStillStarting);
            break;
        case SingleInstance::Outcome::First:
            break;
    }
    // The main window is made before the picture shows (its widgets find and open their fonts,
    // a few tens of milliseconds at a first start), so that the picture, once up, moves without
    // a halt while the main window fetches what it needs.
    CMainDlg dialog(*m_session, m_instance.get());
    CSplashScreenDlg splash(*m_context.clock);
    splash.show();
    RegisterPlaybackControl(m_context.m_strExeDir);
    dialog.setSplash(&splash);
    connect(&dialog, &CMainDlg::startupFinished, &dialog, &QWidget::show);
    connect(&dialog, &QDialog::finished, this, &QCoreApplication::quit);
    dialog.startUp();
    exec();
    return 0;
}
