#pragma once

#include "widgets/CCueEdit.h"

// The search field above the channel list: a cue edit that hands the keys a search needs to
// its owner. Down steps into the results, Enter plays, Escape ends the search; the cue returns
// when the field is left empty.
class CSearchEdit : public CCueEdit {
    Q_OBJECT

public:
    inline static const QString kCue = QStringLiteral("チャンネル検索");
    static constexpr int kHeight = 20;

    explicit CSearchEdit(QWidget* parent = nullptr);

signals:
    void stepIntoResults();
    void playRequested();
    void searchEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
