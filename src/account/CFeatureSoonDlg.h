#pragma once

#include <QDialog>

// Stands where a dialog of a later release will be: says the feature is coming.
class CFeatureSoonDlg : public QDialog {
    Q_OBJECT

public:
    CFeatureSoonDlg(const QString& feature, QWidget* parent);
};
