#include "TrafficFixture.h"

#include "platform/HandOver.h"
#include "terminal/commcyclethread.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <chrono>
#include <climits>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The main window with an instrument on COM3 that answers "OK" at once and
// notes when each command arrived, and the cycle worker that the port
// selection started. The cycle controls are driven as a user drives them.
class CycleFixture : public TrafficFixture
{
protected:
    using Clock = std::chrono::steady_clock;

    void SetUp() override
    {
        TrafficFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NE(CycleThread, nullptr);
        Instrument->SetRule([this](const QByteArray&) {
            std::lock_guard lock(ArrivalMutex);
            Arrivals.push_back(Clock::now());
            return FakeReply("OK\r\n");
        });
    }

    // The instrument's thread notes arrivals in this fixture: it ends before
    // the notes go.
    void TearDown() override
    {
        TrafficFixture::TearDown();
        Instrument.reset();
    }

    // Waits, keeping the window thread serving the worker's hand-overs, until
    // the condition holds; false when it still does not after timeoutMs.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents();
            platform::WaitTurn();
        }
        return true;
    }
    bool WaitForCommandCount(int count) const
    {
        return WaitUntil([&] { return Instrument->Commands().size() >= count; });
    }
    static bool WaitForRunEnd() { return WaitUntil([] { return !CycleThread->RunCycle && !CycleThread->RunFile; }); }

    // Waits until the worker has left a cycle run that STOP ended: a
    // command-file run of no passes, started behind it, is taken only after
    // that run is over. Leaves the pane shown and the counters reset.
    bool WaitForStoppedCycleRun()
    {
        ShowCommandFile(QString());
        SetBox("leCycleCount", "-1");
        PressStart();
        return WaitForRunEnd();
    }

    void SetBox(const char* name, const QString& text) { MainControl<QLineEdit>(name)->setText(text); }
    QString Box(const char* name) const { return MainControl<QLineEdit>(name)->text(); }
    QString CurrentCycle() const { return Box("leCurrentCycle"); }

    QCheckBox* StringBox(int n) const
    {
        return MainControl<QCheckBox>(QStringLiteral("cbCycleString%1").arg(n).toLatin1().constData());
    }
    // Common string n (1 to 5) holding the text, ticked for the cycle.
    void TickString(int n, const QString& text)
    {
        SetBox(QStringLiteral("edString%1").arg(n).toLatin1().constData(), text);
        StringBox(n)->setChecked(true);
    }

    QPushButton* StartButton() const { return MainControl<QPushButton>("cmdStartCycle"); }
    void PressStart() { StartButton()->click(); }
    void PressStop() { MainControl<QPushButton>("cmdStopCycle")->click(); }

    // The command-file pane shown through the View menu, holding the text.
    QTextEdit* FilePane() const { return MainControl<QTextEdit>("reInputFile"); }
    void ShowCommandFile(const QString& text)
    {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setPlainText(text);
    }

    QList<QByteArray> Commands() const { return Instrument->Commands(); }

    // The pause between the arrival of command `later` and the one before it.
    Clock::duration GapBefore(int later) const
    {
        std::lock_guard lock(ArrivalMutex);
        return Arrivals.at(static_cast<std::size_t>(later)) - Arrivals.at(static_cast<std::size_t>(later - 1));
    }

private:
    mutable std::mutex ArrivalMutex;
    std::vector<Clock::time_point> Arrivals;
};

using FileRun = CycleFixture;
using WorkerLife = CycleFixture;
using WorkerSoak = CycleFixture;

// ---- Cycle runs over the ticked common strings ----

// STOP in the third pass over three strings: the flags are looked at once per
// pass, so that pass still sends all its strings and the run ends after it,
// counting one more pass where the count is not yet reached.
class CycleRun : public CycleFixture
{
protected:
    void StopInTheThirdPass(const QString& count, const QString& endCycle)
    {
        TickString(1, "A");
        TickString(2, "B");
        TickString(3, "C");
        SetBox("leCycleCount", count);
        SetBox("leCommandDelay", "100");
        PressStart();
        ASSERT_TRUE(WaitForCommandCount(7));
        PressStop();
        EXPECT_EQ(StartButton()->text(), "&START");
        EXPECT_TRUE(StringBox(1)->isEnabled());
        ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == endCycle; }));
        EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B", "C", "A", "B", "C", "A", "B", "C"}));
    }
};

TEST_F(CycleRun, SendsTheTickedStringsInOrderForEachPassWithTheCommandDelay)
{
    TickString(1, "ONE");
    SetBox("edString2", "TWO");
    TickString(3, "THREE");
    SetBox("leCycleCount", "2");
    SetBox("leCommandDelay", "150");
    PressStart();

    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Commands(), (QList<QByteArray>{"ONE", "THREE", "ONE", "THREE"}));
    EXPECT_EQ(CurrentCycle(), "2");
    for (int later = 1; later < 4; ++later)
        EXPECT_GE(GapBefore(later), 150ms) << later;
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 4");
}

TEST_F(CycleRun, NegativeNumbersRunNothingAndGivePauseNothing)
{
    TickString(1, "X");
    SetBox("leCycleCount", "-1");
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(Commands().isEmpty());
    EXPECT_EQ(CurrentCycle(), "0");

    SetBox("leCycleCount", "1");
    SetBox("leCommandDelay", "-3");
    SetBox("leCycleDelay", "-1");
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Box("leCommandDelay"), "0");
    EXPECT_EQ(Box("leCycleDelay"), "-1");
    EXPECT_EQ(Commands(), QList<QByteArray>{"X"});
}

TEST_F(CycleRun, ACountOfZeroRunsUntilStop)
{
    StopInTheThirdPass("0", "3");
}

TEST_F(CycleRun, TheLargestCountEndsAfterTheStoppedPass)
{
    StopInTheThirdPass(QString::number(INT_MAX), "4");
}

// ---- Command-file runs over the pane's lines ----

TEST_F(FileRun, SendsTrimmedCommandLinesPassesOverTheRestAndRestoresEveryLine)
{
    const QString file = QStringLiteral(" \tFIRST \t\nSKIPPED // remark\n\n// a comment\n   \n"
                                        "|:WAIT 400\n|:halt\n|:WAIT\n|:WAIT 5000 // remark\n"
                                        "SET <--\nX <-- <--\n|:WAIT 1 <--\nLAST\n");
    ShowCommandFile(file);
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Commands(), (QList<QByteArray>{"FIRST", "SET <--", "X <-- <--", "LAST"}));
    EXPECT_GE(GapBefore(1), 400ms);
    EXPECT_EQ(FilePane()->toPlainText(), file);
    EXPECT_EQ(CurrentCycle(), "1");
    // START with the pane shown leaves the cycle strings disabled after the run.
    EXPECT_FALSE(StringBox(1)->isEnabled());
}

// A count box that holds no number runs the file once but a cycle until STOP.
TEST_F(FileRun, AnEmptyPaneAndACountBoxWithLettersRunTheFileOnceAndACycleUntilStop)
{
    ShowCommandFile("");
    TickString(1, "NOT THE FILE");
    SetBox("leCycleCount", "abc");
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(Commands().isEmpty());
    EXPECT_EQ(CurrentCycle(), "1");

    FilePane()->setPlainText("ONLY");
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Commands(), QList<QByteArray>{"ONLY"});

    MainEntry("HideCommandFileWindow1")->trigger();
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(4));
    PressStop();
    ASSERT_TRUE(WaitForStoppedCycleRun());
    EXPECT_EQ(Commands().mid(1), QList<QByteArray>(Commands().size() - 1, "NOT THE FILE"));
}

// Continue only releases the halt: the counters are not reset and the caption
// reads "Continue" until the run ends; STOP while halted ends the run.
TEST_F(FileRun, HaltWaitsForContinueOrStop)
{
    ShowCommandFile("A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    SetBox("leCommandDelay", "300");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return StartButton()->text() == "Continue"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here <--\nB\n|:HALT\nNEVER");
    EXPECT_EQ(Commands(), QList<QByteArray>{"A"});

    PressStart();
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    ASSERT_TRUE(WaitForCommandCount(2));
    EXPECT_EQ(StartButton()->text(), "Continue");
    ASSERT_TRUE(WaitUntil([&] { return FilePane()->toPlainText().contains("\n|:HALT <--"); }));

    PressStop();
    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == "1"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    EXPECT_EQ(StartButton()->text(), "&START");
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
}

// ---- The worker's life ----

// A step of the worker that fails (here: the main window has gone) ends the
// run it belongs to; the worker goes back to polling and takes the next run,
// which a close first refuses to end under it and then ends.
TEST_F(WorkerLife, AnErrorEndsTheRunNotTheWorkerAndCloseDuringARunIsRefusedThenAllowed)
{
    TickString(1, "RUN");
    SetBox("leCycleCount", "0");
    SetBox("leCommandDelay", "300");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(1));
    TCommTermForm* const window = CommTermForm;
    CommTermForm = nullptr;
    const bool runEnded = WaitUntil([] { return !CycleThread->RunCycle; });
    CommTermForm = window;
    ASSERT_TRUE(runEnded);
    EXPECT_EQ(Commands(), QList<QByteArray>{"RUN"});

    PressStart();
    ASSERT_TRUE(WaitForCommandCount(2));
    EXPECT_FALSE(CommTermForm->close());
    EXPECT_TRUE(CommTermForm->isVisible());
    EXPECT_FALSE(CycleThread->RunCycle);
    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
}

// The worker replaced by a new port selection goes on sleeping through its
// WAIT; the close waits only for the new worker, and the old one ends later on
// its own without sending the next line.
TEST_F(WorkerLife, AWorkerReplacedDuringALongWaitEndsOnItsOwn)
{
    ShowCommandFile("|:WAIT 3000\nAFTER");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return FilePane()->toPlainText().startsWith("|:WAIT 3000 <--"); }));
    TCommCycleThread* const replaced = CycleThread;

    CommTermForm->cboCommTerminalSelect();
    ASSERT_NE(CycleThread, replaced);
    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_TRUE(FilePane()->toPlainText().startsWith("|:WAIT 3000 <--"));

    TCommCycleThread::WaitUntilAllEnded();
    EXPECT_EQ(FilePane()->toPlainText(), "|:WAIT 3000\nAFTER");
    EXPECT_TRUE(Commands().isEmpty());
}

// ---- Soak ----

// Every send costs the reply's silence polls and the echo pause, so the
// ordinary suite soaks a few hundred sends; the ThreadSanitizer run asks for
// 2000 through COMMTERM_SOAK_SENDS.
int SoakSends()
{
    bool given = false;
    const int sends = qEnvironmentVariableIntValue("COMMTERM_SOAK_SENDS", &given);
    return given && sends >= 5 ? sends - sends % 5 : 250;
}

TEST_F(WorkerSoak, ACycleRunKeepsOrderWhileUnsolicitedInputArrives)
{
    const int sends = SoakSends();
    const QByteArray strings[] = {"S1", "S2", "S3", "S4", "S5"};
    for (int n = 1; n <= 5; ++n)
        TickString(n, QString::fromLatin1(strings[n - 1]));
    SetBox("leCycleCount", QString::number(sends / 5));
    SetBox("leCommandDelay", "0");
    {
        // The instrument talks on its own all through the run, so the poll for
        // unsolicited input and the worker's sends keep meeting at the
        // port-busy flag. It pauses longer than a reply's silence, or no reply
        // would ever end short of the receive buffer's size.
        std::jthread chatter([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                Instrument->Send("STATUS 1\r\n");
                std::this_thread::sleep_for(40ms);
            }
        });
        PressStart();
        ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunCycle; }, 600000));
    }

    const QList<QByteArray> sent = Commands();
    ASSERT_EQ(sent.size(), sends);
    for (int i = 0; i < sends; ++i)
        ASSERT_EQ(sent[i], strings[i % 5]) << i;
    EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(sends));
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_TRUE(CommTermForm->close());
}

} // namespace
