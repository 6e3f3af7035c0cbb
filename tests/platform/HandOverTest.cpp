#include "platform/Exceptions.h"
#include "platform/HandOver.h"
#include "platform/WindowThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

using namespace platform;

// The window thread carries out a worker's steps from its event loop, and
// from a wait loop that runs no events, each step on the window thread and
// each worker's in its own order; a step's exception is thrown again on its
// worker. On the window thread a step runs at once.
TEST(HandOver, WorkersStepsRunOnTheWindowThreadInOrderAndTheirErrorsComeBack)
{
    bool ranAtOnce = false;
    RunOnWindowThread([&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce);

    constexpr int steps = 200;
    std::vector<std::pair<int, int>> ran;  // touched on the window thread only
    QString caught[2];
    std::atomic<int> finished{0};
    auto work = [&](int worker) {
        for (int i = 0; i < steps; ++i)
            RunOnWindowThread([&, worker, i] { ran.emplace_back(IsWindowThread() ? worker : -1, i); });
        try {
            RunOnWindowThread([] { throw EConvertError(QStringLiteral("'0xZZ' is not a valid integer value")); });
        } catch (const EConvertError& e) {
            caught[worker] = e.Message;
        }
        ++finished;
    };
    std::thread first(work, 0);
    // Bounded, so a fault fails the test; the wait loop below still frees the worker.
    for (QDeadlineTimer deadline(20000); finished < 1 && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(finished, 1);
    std::thread second(work, 1);
    while (finished < 2)
        WaitTurn();
    first.join();
    second.join();

    ASSERT_EQ(ran.size(), 2u * steps);
    int next[2] = {0, 0};
    for (const auto& [worker, i] : ran) {
        ASSERT_GE(worker, 0);
        EXPECT_EQ(i, next[worker]++);
    }
    EXPECT_EQ(caught[0], "'0xZZ' is not a valid integer value");
    EXPECT_EQ(caught[1], caught[0]);
}

TEST(HandOver, AfterTheWindowThreadEndedAWorkerIsToldInsteadOfWaiting)
{
    std::atomic<bool> calling{false};
    bool failed = false;
    std::thread worker([&] {
        calling = true;
        try {
            RunOnWindowThread([] {});
        } catch (const Exception&) {
            failed = true;
        }
    });
    while (!calling)
        std::this_thread::yield();
    // Whether the step is already waiting or not yet handed over, it must fail.
    EndWindowThread();
    worker.join();
    BeginWindowThread();
    EXPECT_TRUE(failed);
    EXPECT_TRUE(IsWindowThread());
}
