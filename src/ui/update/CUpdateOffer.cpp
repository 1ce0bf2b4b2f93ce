#include "update/CUpdateOffer.h"

#include "platform/ProgramFolder.h"
#include "platform/WindowFinder.h"
#include "update/CUpdateDlg.h"
#include "update/UpdateCheck.h"
#include "widgets/CMyToolTip.h"

#include <QFile>
#include <QProcess>

#include <utility>

CUpdateOffer::CUpdateOffer(QWidget* owner, QString programFolder, Clock& clock)
    : QObject(nullptr), m_owner(owner), m_programFolder(std::move(programFolder)), m_clock(clock) {}

void CUpdateOffer::showBalloon(const QString& text2) {
    CMyToolTip& balloon = CMyToolTip::GetBalloon();
    balloon.SetTitle(UpdateCheck::kBalloonTitle);
    balloon.SetBody(text2);
    balloon.ShowAtTray(m_clock, iconRect ? iconRect() : QRect(), m_programFolder, endForUpdater);
}

void CUpdateOffer::offerMandatory() {
    if (beforePrompt) {
        beforePrompt();
    }
    CUpdateDlg prompt(m_owner);
    prompt.exec();
    if (!prompt.accepted()) {
        if (closeClient) {
            closeClient();
        }
        return;
    }
    StartUpdater();
}

bool CUpdateOffer::StartUpdater() {
    if (WindowFinder::raiseWindowTitled(kUpdaterTitle)) {
        return true;
    }
    const QString updater = ProgramFolder::file(m_programFolder, kUpdater);
    if (!QFile::exists(updater) || !QProcess::startDetached(updater, {})) {
        return false;
    }
    if (endForUpdater) {
        endForUpdater();
    }
    return true;
}
