#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

class QWidget;

// A playback control: a module in the codec folder that streams and shows a channel in a widget
// of its own. The client drives it only through dispatch calls with these ids and argument types
// (text as QString, numbers as 32-bit int), and hears from it through one event, 1001.
class PlaybackControl {
public:
    enum DispatchId : int {
        kSetPlayAddress = 11,    // text
        kSetChannelName = 21,    // text
        kSetLoginId = 41,        // text
        kSetLoginPassword = 51,  // text
        kSetLanguage = 61,       // text
        kSetAuthUrl = 81,        // text
        kStartPlay = 100,
        kStopPlay = 101,
        kQueryState = 105,  // int selector -> int
        kInitPlayer = 112,
        kSetLogoPage = 115,  // text
    };
    static constexpr int kEventId = 1001;

    virtual ~PlaybackControl() = default;

    // The control's window; owned by the control.
    virtual QWidget* widget() = 0;
    // One dispatch method call. The result is invalid for methods that return nothing and for
    // calls the control does not accept.
    virtual QVariant invoke(int dispatchId, const QVariantList& arguments) = 0;
    // Where the control's events go.
    virtual void setEventSink(std::function<void(int eventId)> sink) = 0;
};

// What a control module exports, by these names. A control is destroyed by the module that
// created it, through its destroy function: the two sides may not share one allocator, and the
// module knows what else goes with its control. The control's widget is created as a child of
// the parent given to the create function and stays there; the host never re-parents it.
extern "C" {
using VeloControlNameFunction = const char* (*)();
using VeloCreateControlFunction = PlaybackControl* (*)(QWidget* parent);
using VeloDestroyControlFunction = void (*)(PlaybackControl* control);
}

inline constexpr const char* kControlProgIdSymbol = "VeloControlProgId";
inline constexpr const char* kControlClassIdSymbol = "VeloControlClassId";
inline constexpr const char* kCreateControlSymbol = "VeloCreateControl";
inline constexpr const char* kDestroyControlSymbol = "VeloDestroyControl";
