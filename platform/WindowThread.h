#pragma once

// The application object marks the life of the window thread for the
// hand-over queue: the thread that builds it becomes the window thread, and
// when it ends, steps still waiting fail on their workers instead of waiting
// for an event loop that will never run again.
namespace platform {

void BeginWindowThread();
void EndWindowThread();

} // namespace platform
