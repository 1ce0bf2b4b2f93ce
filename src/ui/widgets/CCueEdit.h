#pragma once

#include <QLineEdit>

// A one-line edit that shows a grey cue until the user first clicks or types into it, and reads
// as empty while the cue shows.
class CCueEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CCueEdit(QWidget* parent = nullptr);

    void SetCueText(const QString& cue);
    void SetText(const QString& text);
    // Empties the field and shows the cue again, as before the first keystroke.
    void ShowCue();
    // Empty while the cue shows, otherwise the text in the field.
    QString GetText() const;
    bool cueShowing() const { return m_cueShowing; }
    // The colour of the user's text; the cue is always grey.
    void setNormalTextColour(const QColor& colour);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void dropCue();
    void applyColour();

    bool m_cueShowing = true;
    QColor m_textColour;
    QString m_cue = QStringLiteral("<Enter text here>");
};
