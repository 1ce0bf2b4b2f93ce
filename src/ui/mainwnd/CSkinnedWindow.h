#pragma once

class QMenu;

#include "mainwnd/SkinFrame.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class CClientArea;
class QAbstractButton;
class QPainter;

// A top-level window with the program's painted frame: the caption with its icon and buttons
// (top-most, minimise, maximise or restore, close), the edges that resize it, the caption that
// drags it, and the rounded outline. The window's own controls live on its client area below the
// caption; a subclass paints that area and lays it out.
class CSkinnedWindow : public QDialog {
    Q_OBJECT

public:
    inline static const QString kTopMostTip = QStringLiteral("トップ ");
    inline static const QString kCancelTopMostTip = QStringLiteral("キャンセルトップ ");
    inline static const QString kCloseItem = QStringLiteral("閉じる(&C)");
    // What the caption's buttons are called for the keyboard and a screen reader.
    inline static const QString kMenuName = QStringLiteral("メニュー");
    inline static const QString kMinimiseName = QStringLiteral("最小化");
    inline static const QString kMaximiseName = QStringLiteral("最大化");
    inline static const QString kRestoreName = QStringLiteral("元に戻す");
    inline static const QString kCloseName = QStringLiteral("閉じる");
    static constexpr int kDragTickMs = 20;

    // PROGRAMFOLDER holds the skin folder the frame is painted from.
    explicit CSkinnedWindow(const QString& programFolder, QWidget* parent = nullptr);
    ~CSkinnedWindow() override;

    CClientArea* clientArea() const { return m_client; }
    SkinFrame& frame() { return *m_frame; }
    int edgeCode() const { return m_edge; }

    void makeTopMost();
    void cancelTopMost();
    bool topMost() const { return m_topMost; }
    // One tick of a drag or resize of EDGE with the cursor at CURSOR (screen coordinates).
    void dragTick(int edge, QPoint cursor);
    // The tooltip the caption shows at POINT (window coordinates), or none.
    QString captionTip(QPoint point) const;
    // Brings a minimised window back as it was before, maximised or not.
    void restoreFromMinimised();
    // What a click on one of the caption's buttons does.
    void pressCaptionButton(SkinFrame::Button button);
    // The keyboard's stand-in for a caption button (the window menu's icon for kNoButton).
    QAbstractButton* captionKey(SkinFrame::Button button) const { return m_keys[button]; }

protected:
    // The window menu's first item, opened from the caption's icon; none when empty.
    void setAboutItem(const QString& text) { m_aboutItem = text; }
    virtual void showAbout() {}
    // Items of the window's own between the about item and the close item.
    virtual void fillWindowMenu(QMenu& /*menu*/) {}
    // The caption's close button; closes the window unless overridden.
    virtual void closeFromCaption();
    // Painting and layout of the client area.
    virtual void paintClient(QPainter& painter) = 0;
    virtual void layoutClient() = 0;

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setTopMostFlag(bool on);
    void stopDrag();
    void showWindowMenu();
    QRect captionArea() const;
    void placeCaptionKeys();

    std::unique_ptr<SkinFrame> m_frame;
    QAbstractButton* m_keys[5] = {};
    CClientArea* m_client = nullptr;
    SkinFrame::State m_frameState;
    bool m_topMost = false;
    int m_edge = SkinFrame::kNothing;  // the part of the frame under the pointer or dragged
    int m_dragging = SkinFrame::kNothing;
    QPoint m_anchor;
    QTimer m_dragTimer;
    QString m_aboutItem;
    bool m_maximisedBeforeMinimise = false;
};
