#include "ads/CMaHtmlView.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>

CMaHtmlView::CMaHtmlView(QWidget* parent) : QTextBrowser(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setOpenLinks(false);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setStyleSheet(QStringLiteral("QTextBrowser { background: #05090d; color: #d8e6f0; }"));
    // A banner's link goes to the user's web browser, and only a web address does.
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
            QDesktopServices::openUrl(url);
        }
    });
}

void CMaHtmlView::OpenURL(const QString& path) {
    m_path = path;
    load();
}

void CMaHtmlView::load() {
    const QFileInfo info(m_path);
    m_shownModified = info.exists() ? info.lastModified() : QDateTime();
    m_shownSize = info.exists() ? info.size() : -1;
    if (!info.isFile()) {
        clear();
        return;
    }
    setSearchPaths({info.absolutePath()});
    if (source() == QUrl::fromLocalFile(info.absoluteFilePath())) {
        reload();
    } else {
        setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    }
}

bool CMaHtmlView::refresh() {
    if (m_path.isEmpty()) {
        return false;
    }
    const QFileInfo info(m_path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (modified == m_shownModified && size == m_shownSize) {
        return false;
    }
    load();
    return true;
}

void CMaHtmlView::paintEvent(QPaintEvent* event) {
    // The page is looked at again on every paint; a change is loaded just after this paint,
    // which then paints it.
    if (!m_path.isEmpty()) {
        const QFileInfo info(m_path);
        const qint64 size = info.exists() ? info.size() : -1;
        const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
        if (size != m_shownSize || modified != m_shownModified) {
            QTimer::singleShot(0, this, [this] { refresh(); });
        }
    }
    QTextBrowser::paintEvent(event);
}
