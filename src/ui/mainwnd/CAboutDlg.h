#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// The about box: what the program is, its version, where to write to, and whose it is.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    inline static const QString kTitle = QStringLiteral("VELOについて ");
    inline static const QString kVersion = QStringLiteral("ソフトウェアのバージョン1.0.0.1 ");
    inline static const QString kSite = QStringLiteral("公式サイト https://www.velotv.example/");
    inline static const QString kMail = QStringLiteral("メール support@velotv.example");
    inline static const QString kCopyright = QStringLiteral("© 2026 VELO Live Television");
    inline static const QString kOk = QStringLiteral("確認");
    static QString description();

    explicit CAboutDlg(QWidget* parent = nullptr);

    QPlainTextEdit* descriptionEdit() const { return m_description; }
    QLabel* siteLine() const { return m_site; }

private:
    QPlainTextEdit* m_description = nullptr;
    QLabel* m_site = nullptr;
};
