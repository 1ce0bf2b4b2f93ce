#pragma once

#include <QDialog>
#include <QPixmap>

class CSkinButton;

// The prompt of a mandatory update: update now, or the client ends.
class CUpdateDlg : public QDialog {
    Q_OBJECT

public:
    explicit CUpdateDlg(QWidget* parent = nullptr);

    // True when the user chose to update.
    bool accepted() const { return m_accepted; }
    CSkinButton* updateButton() const { return m_update; }
    CSkinButton* closeButton() const { return m_close; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_background;
    CSkinButton* m_update = nullptr;
    CSkinButton* m_close = nullptr;
    bool m_accepted = false;
};
