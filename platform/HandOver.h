#pragma once

#include <functional>

// The hand-over queue: a worker thread has a step carried out on the window
// thread and waits for it. The window thread carries out waiting steps from its
// event loop and from every wait loop of its own (CarryOutHandOvers), so the
// two threads never wait on each other.
namespace platform {

// Runs the step on the window thread and returns when it is done. An exception
// thrown by the step is thrown again on the calling thread. Called on the
// window thread, the step runs at once.
void RunOnWindowThread(const std::function<void()>& step);

// Carries out every step that waits; does nothing off the window thread.
void CarryOutHandOvers();

// One turn of a window-thread wait loop: carries out hand-overs and gives up
// the rest of the time slice.
void WaitTurn();

bool IsWindowThread();

} // namespace platform
