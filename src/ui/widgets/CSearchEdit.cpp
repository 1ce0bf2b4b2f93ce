#include "widgets/CSearchEdit.h"

#include <QKeyEvent>

CSearchEdit::CSearchEdit(QWidget* parent) : CCueEdit(parent) {
    SetCueText(kCue);
    setAccessibleName(kCue);
    setNormalTextColour(Qt::white);
    setFrame(false);
    setStyleSheet(
        QStringLiteral("QLineEdit { background: rgb(4, 14, 24); border: 1px solid rgb(30, 51, 68);"
                       " border-radius: 2px; padding: 0 4px; }"));
    QFont font = this->font();
    font.setPixelSize(12);
    setFont(font);
}

void CSearchEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Down:
            emit stepIntoResults();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit playRequested();
            event->accept();
            return;
        case Qt::Key_Escape:
            ShowCue();
            emit searchEnded();
            event->accept();
            return;
        default:
            CCueEdit::keyPressEvent(event);
    }
}

void CSearchEdit::focusOutEvent(QFocusEvent* event) {
    CCueEdit::focusOutEvent(event);
    if (GetText().isEmpty() && !cueShowing()) {
        ShowCue();
    }
}
