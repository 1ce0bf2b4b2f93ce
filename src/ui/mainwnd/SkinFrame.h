#pragma once

#include <QImage>
#include <QMargins>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// The main window's frame, painted from the bitmap files of the skin folder: the caption with
// the program's icon and four buttons (top-most, minimise, maximise or restore, close), the side
// and bottom edges. It also says which part of the frame a point is on, which cursor goes with
// it, and where a drag or resize step takes the window.
class SkinFrame {
public:
    // Parts of the frame, by the numbers of their drag timers.
    enum Edge : int {
        kNothing = 0,
        kTopLeft = 1,
        kCaption = 2,
        kTopRight = 3,
        kLeft = 4,
        kInner = 5,
        kRight = 6,
        kBottomLeft = 7,
        kBottom = 8,
        kBottomRight = 9,
        kTop = 21,
    };
    enum Button { kNoButton, kTopMost, kMinimise, kMaximise, kClose };
    enum class Face { Normal = 1, Hover = 2, Pressed = 3 };

    static constexpr int kEdge = 4;
    static constexpr int kDefaultCaption = 26;

    // FOLDER is the program folder; the files are FOLDER/skin/NAME.bmp.
    explicit SkinFrame(const QString& folder);

    // The caption's height: that of UL_N less 4 (26 when the file is missing).
    int captionHeight() const { return m_caption; }
    // Where the client area lies inside the window.
    QMargins margins() const;

    // The part under point P of a window of SIZE, for the pointer and for a press; the first
    // match of each list wins.
    static int zoneForPointer(const QSize& size, QPoint p);
    static int zoneForPress(const QSize& size, QPoint p);
    static Qt::CursorShape cursorFor(int edge);
    // The window after one step of dragging EDGE from ANCHOR to CURSOR (screen coordinates).
    // A step whose guard fails leaves the window as it was.
    static QRect dragStep(int edge, const QRect& window, QPoint anchor, QPoint cursor,
                          bool maximised);

    struct State {
        bool active = true;
        bool topMost = false;
        bool maximised = false;
        Button hover = kNoButton;
        Button pressed = kNoButton;
    };
    // Paints the whole frame of a window of SIZE and records where the buttons went.
    void paint(QPainter& painter, const QSize& size, const State& state, const QPixmap& icon);
    // A button's rectangle where it was last painted, in window coordinates.
    QRect buttonRect(Button button) const;
    Button buttonAt(QPoint p) const;
    QRect iconRect() const;
    // The file a button showed when the frame was last painted.
    QString paintedFile(Button button) const { return m_painted[button]; }
    // The name of the file a button shows in a state, e.g. "BTN_CLS2".
    static QString buttonFile(Button button, Face face, bool topMost, bool maximised);

private:
    QImage load(const QString& name) const;
    void tile(QPainter& painter, const QString& name, const QRect& area) const;

    QString m_folder;
    int m_caption = kDefaultCaption;
    QRect m_buttons[5];
    QString m_painted[5];
};
