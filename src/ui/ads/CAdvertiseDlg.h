#pragma once

#include <QWidget>

class CMaHtmlView;

// The banner under the channel list: the program folder's "Advertise/Fix/index.html", shown in a
// view of its own and looked at again whenever the banner repaints. Without a page it stays an
// empty dark strip. Beside an installation the user may not write, the banners are downloaded to
// the user's own folder, and the installed page shows until one is there.
class CAdvertiseDlg : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 208;
    static constexpr int kHeight = 70;

    CAdvertiseDlg(const QString& dataFolder, const QString& programFolder, QWidget* parent);

    CMaHtmlView* view() const { return m_view; }
    QString pagePath() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showBanner();

    QString m_dataFolder;
    QString m_programFolder;
    CMaHtmlView* m_view = nullptr;
};
