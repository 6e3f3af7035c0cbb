#include "platform/HandOver.h"

#include "platform/Exceptions.h"
#include "platform/WindowThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

namespace {

enum class WindowThreadState { NotYet, Running, Ended };

struct Step
{
    std::function<void()> Work;
    std::exception_ptr Error;
    bool Done = false;
};

// Everything below is guarded by queueMutex.
std::mutex queueMutex;
std::condition_variable stepDone;      // a worker's step has run
std::condition_variable stepWaiting;   // a step has joined the queue
std::deque<std::shared_ptr<Step>> waiting;
WindowThreadState state = WindowThreadState::NotYet;
std::thread::id windowThread;
bool wakeUpPosted = false;

QString EndedMessage()
{
    return QStringLiteral("The window thread has ended; a step handed to it was not carried out");
}

// Posts one wake-up to the window thread's event loop; the application object
// is alive, since its end has to take queueMutex first.
void PostWakeUp()
{
    if (wakeUpPosted)
        return;
    wakeUpPosted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            {
                std::lock_guard lock(queueMutex);
                wakeUpPosted = false;
            }
            CarryOutHandOvers();
        },
        Qt::QueuedConnection);
}

std::shared_ptr<Step> NextStep()
{
    std::lock_guard lock(queueMutex);
    if (waiting.empty())
        return nullptr;
    auto step = waiting.front();
    waiting.pop_front();
    return step;
}

void Finish(Step& step)
{
    std::lock_guard lock(queueMutex);
    step.Done = true;
    stepDone.notify_all();
}

void RunStep(Step& step)
{
    try {
        step.Work();
    } catch (...) {
        step.Error = std::current_exception();
    }
    Finish(step);
}

} // namespace

bool IsWindowThread()
{
    std::lock_guard lock(queueMutex);
    return state == WindowThreadState::Running && std::this_thread::get_id() == windowThread;
}

void RunOnWindowThread(const std::function<void()>& work)
{
    std::unique_lock lock(queueMutex);
    if (state == WindowThreadState::Ended)
        throw Exception(EndedMessage());
    // Before the application exists there is no window thread to hand to and
    // nothing that a step could touch there: the caller runs the step itself.
    if (state == WindowThreadState::NotYet || std::this_thread::get_id() == windowThread) {
        lock.unlock();
        work();
        return;
    }
    auto step = std::make_shared<Step>();
    step->Work = work;
    waiting.push_back(step);
    stepWaiting.notify_all();
    PostWakeUp();
    stepDone.wait(lock, [&] { return step->Done; });
    if (step->Error)
        std::rethrow_exception(step->Error);
}

void CarryOutHandOvers()
{
    if (!IsWindowThread())
        return;
    while (auto step = NextStep())
        RunStep(*step);
}

void WaitTurn()
{
    if (!IsWindowThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return;
    }
    CarryOutHandOvers();
    std::unique_lock lock(queueMutex);
    // Wakes at once when a worker hands over a step, so a waiting window
    // thread carries it out without delay.
    stepWaiting.wait_for(lock, std::chrono::milliseconds(1), [] { return !waiting.empty(); });
}

void BeginWindowThread()
{
    std::lock_guard lock(queueMutex);
    state = WindowThreadState::Running;
    windowThread = std::this_thread::get_id();
}

void EndWindowThread()
{
    std::lock_guard lock(queueMutex);
    state = WindowThreadState::Ended;
    for (const auto& step : waiting) {
        step->Error = std::make_exception_ptr(Exception(EndedMessage()));
        step->Done = true;
    }
    waiting.clear();
    stepDone.notify_all();
}

} // namespace platform
