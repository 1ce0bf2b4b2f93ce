#include "widgets/OpenDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>

namespace OpenDialogs {

bool RaiseActive() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        return false;
    }
    modal->raise();
    modal->activateWindow();
    return true;
}

void CloseAll(const QWidget* window) {
    QList<QPointer<QDialog>> open;
    for (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window;) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || open.contains(dialog)) {
            break;
        }
        open.append(dialog);
        dialog->done(QDialog::Rejected);
        modal = dialog->parentWidget() != nullptr ? dialog->parentWidget()->window() : nullptr;
    }
}

}  // namespace OpenDialogs
