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

TEST(HandOver, AWorkersStepRunsOnTheWindowThreadFromTheEventLoop)
{
    const std::thread::id windowThread = std::this_thread::get_id();
    std::thread::id ranOn;
    bool workerIsWindowThread = true;
    bool stepIsWindowThread = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        workerIsWindowThread = IsWindowThread();
        RunOnWindowThread([&] {
            ranOn = std::this_thread::get_id();
            stepIsWindowThread = IsWindowThread();
        });
        done = true;
    });
    // Bounded, so a fault fails the test; the wait loop then frees the worker to be joined.
    for (int turn = 0; turn < 20000 && !done; ++turn)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    EXPECT_TRUE(done);
    while (!done)
        WaitTurn();
    worker.join();

    EXPECT_EQ(ranOn, windowThread);
    EXPECT_FALSE(workerIsWindowThread);
    EXPECT_TRUE(stepIsWindowThread);
}

TEST(HandOver, OnTheWindowThreadAStepRunsAtOnce)
{
    bool ran = false;
    RunOnWindowThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(HandOver, AStepsExceptionIsThrownAgainOnTheWorker)
{
    std::atomic<bool> done{false};
    QString caught;
    std::thread worker([&] {
        try {
            RunOnWindowThread([] { throw EConvertError(QStringLiteral("'0xZZ' is not a valid integer value")); });
        } catch (const EConvertError& e) {
            caught = e.Message;
        } catch (...) {
        }
        done = true;
    });
    while (!done)
        WaitTurn();
    worker.join();
    EXPECT_EQ(caught, QStringLiteral("'0xZZ' is not a valid integer value"));
}

// The window thread waits for the workers without running its event loop;
// each worker needs its steps carried out before it can finish.
TEST(HandOver, AWaitLoopCarriesOutTheStepsOfTwoWorkersEachInItsOwnOrder)
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
