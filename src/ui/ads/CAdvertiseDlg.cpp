#include "ads/CAdvertiseDlg.h"

#include "ads/CMaHtmlView.h"
#include "platform/ProgramFolder.h"

#include <QPaintEvent>
#include <QPainter>

CAdvertiseDlg::CAdvertiseDlg(const QString& dataFolder, const QString& programFolder,
                             QWidget* parent)
    : QWidget(parent), m_dataFolder(dataFolder), m_programFolder(programFolder) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, kHeight);
    showBanner();
}

QString CAdvertiseDlg::pagePath() const {
    return ProgramFolder::readable(m_dataFolder, m_programFolder,
                                   QStringLiteral("Advertise/Fix/index.html"));
}

void CAdvertiseDlg::showBanner() {
    if (m_view != nullptr) {
        return;
    }
    m_view = new CMaHtmlView(this);
    m_view->setGeometry(0, 0, kWidth, kHeight);
    m_view->OpenURL(pagePath());
    m_view->show();
}

void CAdvertiseDlg::paintEvent(QPaintEvent* event) {
    // The view above paints the same area in the same paint and looks at the page again then;
    // asking it for another paint from here would make each paint call for the next.
    showBanner();
    const QString page = pagePath();
    if (m_view->page() != page) {
        m_view->OpenURL(page);
    }
    QPainter(this).fillRect(event->rect(), QColor(5, 9, 13));
}

void CAdvertiseDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_view != nullptr) {
        m_view->setGeometry(rect());
    }
}
