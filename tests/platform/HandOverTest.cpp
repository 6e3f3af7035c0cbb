#include "platform/Exceptions.h"
#include "platform/HandOver.h"
#include "platform/WindowThread.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

using namespace platform;

namespace {

// Turns the window thread's event loop until done is set; bounded so a fault
// fails the test instead of hanging it. Waiting steps are carried out at the
// end either way, so a worker left waiting can still be joined.
bool PumpEventsUntil(const std::atomic<bool>& done)
{
    for (int turn = 0; turn < 20000 && !done; ++turn)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const bool reached = done;
    while (!done)
        WaitTurn();
    return reached;
}

} // namespace

TEST(HandOver, AWorkersStepRunsOnTheWindowThreadFromTheEventLoop)
{
    const std::thread::id windowThread = std::this_thread::get_id();
    std::thread::id ranOn;
    bool reportedWindowThread = false;
    std::atomic<bool> done{false};

    std::thread worker([&] {
        RunOnWindowThread([&] {
            ranOn = std::this_thread::get_id();
            reportedWindowThread = IsWindowThread();
        });
        done = true;
    });
    EXPECT_TRUE(PumpEventsUntil(done));
    worker.join();

    EXPECT_EQ(ranOn, windowThread);
    EXPECT_TRUE(reportedWindowThread);
}

TEST(HandOver, OnTheWindowThreadAStepRunsAtOnce)
{
    EXPECT_TRUE(IsWindowThread());
    bool ran = false;
    RunOnWindowThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(HandOver, AStepsExceptionIsThrownAgainOnTheWorker)
{
    std::atomic<bool> done{false};
    QString caught;
    bool wasConvertError = false;

    std::thread worker([&] {
        try {
            RunOnWindowThread([] { throw EConvertError(QStringLiteral("'0xZZ' is not a valid integer value")); });
        } catch (const EConvertError& e) {
            wasConvertError = true;
            caught = e.Message;
        } catch (...) {
        }
        done = true;
    });
    PumpEventsUntil(done);
    worker.join();

    EXPECT_TRUE(wasConvertError);
    EXPECT_EQ(caught, QStringLiteral("'0xZZ' is not a valid integer value"));
}

TEST(HandOver, AWindowThreadWaitLoopCarriesOutStepsSoNeitherThreadStalls)
{
    // The window thread waits for the worker's flag without running its event
    // loop; the worker needs a step on the window thread before it can set it.
    std::atomic<bool> flag{false};
    int stepsRun = 0;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            RunOnWindowThread([&] { ++stepsRun; });
        flag = true;
    });
    while (!flag)
        WaitTurn();
    worker.join();

    EXPECT_EQ(stepsRun, 3);
}

TEST(HandOver, StepsFromTwoWorkersRunEachInItsOwnOrder)
{
    constexpr int stepsPerWorker = 200;
    std::vector<std::pair<int, int>> ran;     // touched on the window thread only
    bool allOnWindowThread = true;
    std::atomic<int> finished{0};

    auto work = [&](int workerId) {
        for (int i = 0; i < stepsPerWorker; ++i)
            RunOnWindowThread([&, workerId, i] {
                allOnWindowThread = allOnWindowThread && IsWindowThread();
                ran.emplace_back(workerId, i);
            });
        ++finished;
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    while (finished < 2)
        WaitTurn();
    first.join();
    second.join();

    ASSERT_EQ(ran.size(), 2u * stepsPerWorker);
    EXPECT_TRUE(allOnWindowThread);
    int next[2] = {0, 0};
    for (const auto& [workerId, i] : ran)
        EXPECT_EQ(i, next[workerId]++);
}

TEST(HandOver, OffTheWindowThreadNothingIsCarriedOut)
{
    std::atomic<bool> workerChecked{false};
    bool workerIsWindowThread = true;
    std::thread worker([&] {
        workerIsWindowThread = IsWindowThread();
        CarryOutHandOvers();
        WaitTurn();
        workerChecked = true;
    });
    worker.join();
    EXPECT_TRUE(workerChecked);
    EXPECT_FALSE(workerIsWindowThread);
}

TEST(HandOver, AfterTheWindowThreadEndedAWorkerIsToldInsteadOfWaiting)
{
    std::atomic<bool> calling{false};
    std::atomic<bool> done{false};
    bool failed = false;
    std::thread worker([&] {
        calling = true;
        try {
            RunOnWindowThread([] {});
        } catch (const Exception&) {
            failed = true;
        }
        done = true;
    });
    while (!calling)
        std::this_thread::yield();
    // Whether the step is already waiting or not yet handed over, it must fail.
    EndWindowThread();
    worker.join();
    BeginWindowThread();

    EXPECT_TRUE(done);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(IsWindowThread());
}
