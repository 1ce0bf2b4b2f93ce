#pragma once

#include <QDateTime>
#include <QTextBrowser>

// Shows a local HTML page the way the banner needs it: no scripts, no dialogs, images and styles
// from beside the page, links opened in the user's web browser. Each time it paints it looks at
// the page on disk again and reloads it when it changed, so a newer page appears by itself.
class CMaHtmlView : public QTextBrowser {
    Q_OBJECT

public:
    explicit CMaHtmlView(QWidget* parent = nullptr);

    // Shows the page at PATH (a file path, not an address); a missing page shows nothing.
    void OpenURL(const QString& path);
    // Reloads the page when the file changed since it was shown; true when it did.
    bool refresh();
    QString page() const { return m_path; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void load();

    QString m_path;
    QDateTime m_shownModified;
    qint64 m_shownSize = -1;
};
