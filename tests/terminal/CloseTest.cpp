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

TEST_F(Closing, ExitWithoutAWorkerClosesAtOnceAndQuits)
{
    TessalineControlForm->show();
    EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->Exit1Click(); }));
    EXPECT_FALSE(CommTermForm->isVisible());
    EXPECT_TRUE(CommTermForm->Closing);
}

TEST_F(Closing, CloseBoxWithoutAWorkerClosesAtOnceAndQuits)
{
    CommTermForm->DelayTimer->start();
    EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->close(); }));
    EXPECT_FALSE(CommTermForm->isVisible());
    EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
}

TEST_F(Closing, CloseDuringACycleRunStopsTheRunAndRefuses)
{
    TCommCycleThread worker;
    CycleThread = &worker;
    worker.RunCycle = true;
    EXPECT_FALSE(CommTermForm->close());
    EXPECT_TRUE(CommTermForm->isVisible());
    EXPECT_FALSE(worker.RunCycle);
    EXPECT_FALSE(worker.Terminated());
    EXPECT_FALSE(CommTermForm->Closing);
    EXPECT_EQ(CycleThread, &worker);
    CycleThread = nullptr;
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

TEST_F(Closing, WaitEndsOnlyWithTheReportOfTheCurrentWorker)
{
    TCommCycleThread replaced;
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

TEST_F(Closing, NewWorkerClearsTheEndReportOfTheOldOne)
{
    CommTermForm->CycleThreadDone = true;
    TCommCycleThread worker;
    EXPECT_FALSE(CommTermForm->CycleThreadDone);
    EXPECT_FALSE(worker.RunCycle);
    EXPECT_FALSE(worker.RunFile);
    EXPECT_FALSE(worker.Terminated());
}

TEST_F(Closing, WaitKeepsCarryingOutTheWorkersHandOvers)
{
    TCommCycleThread worker;
    CycleThread = &worker;
    QString captionSeen;
    {
        WorkerThread thread(worker, [&] {
            platform::RunOnWindowThread([&] { captionSeen = CommTermForm->windowTitle(); });
        });
        EXPECT_TRUE(CommTermForm->close());
    }
    EXPECT_EQ(captionSeen, "Communications Terminal 1.7.7.1");
}

} // namespace
