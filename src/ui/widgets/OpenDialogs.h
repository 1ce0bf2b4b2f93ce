#pragma once

class QWidget;

// The dialogs open over a window: a window brought forward brings its dialog with it, and a
// window that ends closes them first, so nothing is left waiting for an answer beneath it.
namespace OpenDialogs {

// The dialog that holds the input now, raised and made active; false when none is open.
bool RaiseActive();
// Every dialog open over WINDOW, innermost first, answered as if cancelled; each one's own
// loop then ends as the stack unwinds.
void CloseAll(const QWidget* window);

}  // namespace OpenDialogs
