#include "account/CFeatureSoonDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CFeatureSoonDlg::CFeatureSoonDlg(const QString& feature, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("VELO"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("「%1」は準備中です。次のバージョンをお待ちください。")
                                .arg(feature),
                            this);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
