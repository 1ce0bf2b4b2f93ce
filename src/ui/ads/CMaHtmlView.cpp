#include "ads/CMaHtmlView.h"

#include <QDesktopServices>
#include <QDirIterator>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>

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

CMaHtmlView::FolderStamp CMaHtmlView::stampOfFolder() const {
    // A banner's folder holds a handful of files; a bound keeps a strange one cheap to look at.
    constexpr qsizetype kMostFiles = 512;
    FolderStamp stamp;
    const QFileInfo page(m_path);
    stamp.pageThere = page.isFile();
    if (!stamp.pageThere) {
        return stamp;
    }
    QDirIterator files(page.absolutePath(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext() && stamp.files < kMostFiles) {
        files.next();
        const QFileInfo info = files.fileInfo();
        ++stamp.files;
        stamp.bytes += info.size();
        stamp.newestChange = std::max(stamp.newestChange, info.metadataChangeTime());
        stamp.newestModified = std::max(stamp.newestModified, info.lastModified());
    }
    return stamp;
}

void CMaHtmlView::load() {
    m_shown = stampOfFolder();
    const QFileInfo info(m_path);
    if (!info.isFile()) {
        clear();
        return;
    }
    setSearchPaths({info.absolutePath()});
    // The pictures and style sheets it uses are read again too, not taken from what was shown.
    document()->clear();
    if (source() == QUrl::fromLocalFile(info.absoluteFilePath())) {
        reload();
    } else {
        setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    }
}

bool CMaHtmlView::refresh() {
    if (m_path.isEmpty() || stampOfFolder() == m_shown) {
        return false;
    }
    load();
    return true;
}

void CMaHtmlView::paintEvent(QPaintEvent* event) {
    // The folder is looked at again on every paint; a change is loaded just after this paint,
    // which then paints it.
    if (!m_path.isEmpty() && stampOfFolder() != m_shown) {
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    }
    QTextBrowser::paintEvent(event);
}
