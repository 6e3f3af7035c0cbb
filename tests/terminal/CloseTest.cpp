#include "support/WindowFixture.h"

#include "panels/TessalineControl.h"
#include "platform/HandOver.h"
#include "terminal/commcyclethread.h"

#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using Closing = WindowFixture;

// Runs the step inside the application's message loop and tells whether the
// loop ended through the application's quit. A loop the step does not end is
// ended by a fallback so that the test fails instead of hanging.
bool QuitsTheApplication(const std::function<void()>& step)
{
    QTimer::singleShot(0, step);
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    fallback.start(20000);
    return QApplication::exec() == 0;
}

// Stands in for the worker's thread: ends when told to terminate and then
// reports its end, as a worker does. Its end is awaited the way the window
// thread waits, carrying out hand-overs, so a wrong report cannot hang a test.
class WorkerThread
{
public:
    explicit WorkerThread(TCommCycleThread& worker, std::function<void()> beforeReport = {})
        : Thread([this, &worker, beforeReport] {
              while (!worker.Terminated())
                  std::this_thread::yield();
              if (beforeReport)
                  beforeReport();
              worker.ReportEnd();
              Finished = true;
          })
    {
    }
    ~WorkerThread()
    {
        while (!Finished)
            platform::WaitTurn();
        Thread.join();
    }

private:
    std::atomic<bool> Finished = false;
    std::thread Thread;
};

// A panel still shown does not keep the program running.
TEST_F(Closing, ExitWithoutAWorkerClosesAtOnceStopsThePollAndQuits)
{
    TessalineControlForm->show();
    CommTermForm->DelayTimer->start();
    EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->Exit1Click(); }));
    EXPECT_FALSE(CommTermForm->isVisible());
    EXPECT_TRUE(CommTermForm->Closing);
    EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
}

TEST_F(Closing, ExitDuringAFileRunStopsTheRunAndASecondExitCloses)
{
    TCommCycleThread worker;
    CycleThread = &worker;
    worker.RunFile = true;
    CommTermForm->FileHalted = true;
    MainControl<QPushButton>("cmdStartCycle")->setText("Continue");

    CommTermForm->Exit1Click();
    EXPECT_TRUE(CommTermForm->isVisible());
    EXPECT_FALSE(worker.RunFile);
    EXPECT_FALSE(CommTermForm->FileHalted);
    EXPECT_EQ(MainControl<QPushButton>("cmdStartCycle")->text(), "&START");

    WorkerThread thread(worker);
    CommTermForm->Exit1Click();
    EXPECT_FALSE(CommTermForm->isVisible());
    EXPECT_TRUE(worker.Terminated());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_TRUE(CommTermForm->Closing);
}

// A replaced worker's late report must neither end the wait early nor, left
// over from before, count for the worker that replaced it. That report is a
// hand-over, so the wait must also keep carrying hand-overs out.
TEST_F(Closing, WaitEndsOnlyWithTheReportOfTheCurrentWorker)
{
    TCommCycleThread replaced;
    CommTermForm->CycleThreadDone = true;
    TCommCycleThread current;
    CycleThread = &current;
    std::atomic<bool> doneAfterReplacedReport = true;
    {
        WorkerThread thread(current, [&] {
            replaced.ReportEnd();
            doneAfterReplacedReport = CommTermForm->CycleThreadDone.load();
        });
        EXPECT_TRUE(CommTermForm->close());
    }
    EXPECT_FALSE(doneAfterReplacedReport);
    EXPECT_TRUE(CommTermForm->CycleThreadDone);
    EXPECT_EQ(CycleThread, nullptr);
}

} // namespace
