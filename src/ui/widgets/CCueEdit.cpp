#include "widgets/CCueEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

const QColor kCueColour(119, 121, 118);

}  // namespace

CCueEdit::CCueEdit(QWidget* parent)
    : QLineEdit(parent), m_textColour(palette().color(QPalette::Text)) {
    if (m_cueShowing && !m_cue.isEmpty()) {
        SetText(m_cue);
    }
    deselect();
    applyColour();
}

void CCueEdit::applyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, m_cueShowing ? kCueColour : m_textColour);
    setPalette(colours);
}

void CCueEdit::setNormalTextColour(const QColor& colour) {
    m_textColour = colour;
    applyColour();
}

void CCueEdit::SetCueText(const QString& cue) {
    m_cue = cue;
    if (cue.isEmpty()) {
        m_cueShowing = false;
    }
    if (m_cueShowing && !cue.isEmpty()) {
        setText(cue);
    }
    applyColour();
}

void CCueEdit::SetText(const QString& text) {
    if (m_cueShowing && text.isEmpty()) {
        return;
    }
    if (text != m_cue) {
        m_cueShowing = false;
        applyColour();
    }
    setText(text);
}

void CCueEdit::ShowCue() {
    if (m_cue.isEmpty()) {
        clear();
        return;
    }
    m_cueShowing = true;
    setText(m_cue);
    applyColour();
}

QString CCueEdit::GetText() const {
    return m_cueShowing ? QString() : text();
}

void CCueEdit::dropCue() {
    if (m_cueShowing) {
        m_cueShowing = false;
        clear();
        applyColour();
    }
}

void CCueEdit::keyPressEvent(QKeyEvent* event) {
    dropCue();
    QLineEdit::keyPressEvent(event);
}

void CCueEdit::mousePressEvent(QMouseEvent* event) {
    dropCue();
    QLineEdit::mousePressEvent(event);
}

void CCueEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (m_cueShowing) {
        setCursorPosition(static_cast<int>(text().size()));
    }
}
