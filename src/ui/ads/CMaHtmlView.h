#pragma once

#include <QDateTime>
#include <QTextBrowser>

// Shows a local HTML page the way the banner needs it: no scripts, no dialogs, images and styles
// from beside the page, links opened in the user's web browser. Each time it paints it looks at
// the page's folder on disk again and reloads the page when anything in it changed (the page, a
// picture, a style sheet), so a newer archive appears by itself.
class CMaHtmlView : public QTextBrowser {
    Q_OBJECT

public:
    explicit CMaHtmlView(QWidget* parent = nullptr);

    // Shows the page at PATH (a file path, not an address); a missing page shows nothing.
    void OpenURL(const QString& path);
    // Reloads the page when its folder changed since it was shown; true when it did.
    bool refresh();
    QString page() const { return m_path; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the page's folder held when it was looked at: a file rewritten, added or removed, even
    // with an older time from an archive, changes it (the change time is the file system's own).
    struct FolderStamp {
        bool pageThere = false;
        qsizetype files = 0;
        qint64 bytes = 0;
        QDateTime newestChange;
        QDateTime newestModified;
        bool operator==(const FolderStamp&) const = default;
    };
    FolderStamp stampOfFolder() const;
    void load();

    QString m_path;
    FolderStamp m_shown;
};
