#pragma once

#include <functional>

class QShowEvent;

// A window's showing begins when the program shows it (a menu entry, a
// button). The show event that the window system brings about when it gives
// back a window the user had minimised comes spontaneous: that window was
// never let go, and keeps everything it holds, its place included.
namespace platform {

bool BeginsShowing(const QShowEvent& event);

// Runs the window's showing, guarded, when the event begins one.
void OnShowing(const QShowEvent& event, const std::function<void()>& showing);

} // namespace platform
