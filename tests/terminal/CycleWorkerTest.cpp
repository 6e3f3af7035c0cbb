#include "CycleFixture.h"

#include <climits>

namespace {

using namespace std::chrono_literals;

using CycleRun = CycleFixture;
using FileRun = CycleFixture;
using WorkerLife = CycleFixture;

// ---- Cycle runs over the ticked common strings ----

TEST_F(CycleRun, SendsTheTickedStringsInOrderForEachPassWithTheCommandDelay)
{
    TickString(1, "ONE");
    SetBox("edString2", "TWO");
    TickString(3, "THREE");
    SetBox("leCycleCount", "2");
    SetBox("leCommandDelay", "150");
    PressStart();

    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunCycle; }));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"ONE", "THREE", "ONE", "THREE"}));
    EXPECT_EQ(CurrentCycle(), "2");
    for (int later = 1; later < 4; ++later)
        EXPECT_GE(GapBefore(later), 150ms) << later;
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 4");
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(CycleRun, ACountOfZeroRunsUntilStopAndFinishesThePass)
{
    TickString(2, "A");
    TickString(4, "B");
    SetBox("leCycleCount", "0");
    SetBox("leCommandDelay", "0");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(7));
    PressStop();
    EXPECT_EQ(StartButton()->text(), "&START");

    // The pass going on at STOP sends its remaining strings, then the run ends.
    ASSERT_TRUE(WaitForStoppedCycleRun());
    const QList<QByteArray> sent = Commands();
    EXPECT_EQ(sent.size() % 2, 0);
    for (int i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], i % 2 == 0 ? "A" : "B") << i;
}

TEST_F(CycleRun, NegativeNumbersRunNothingAndGivePauseNothing)
{
    TickString(1, "X");
    SetBox("leCycleCount", "-1");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunCycle; }));
    EXPECT_TRUE(Commands().isEmpty());
    EXPECT_EQ(CurrentCycle(), "0");

    SetBox("leCycleCount", "1");
    SetBox("leCommandDelay", "-3");
    SetBox("leCycleDelay", "-1");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunCycle; }));
    EXPECT_EQ(Box("leCommandDelay"), "0");
    EXPECT_EQ(Box("leCycleDelay"), "-1");
    EXPECT_EQ(Commands(), QList<QByteArray>{"X"});
}

// The flags are looked at once per pass: the stopped pass still sends all its
// strings, and the run's end still counts one more pass.
TEST_F(CycleRun, StopInTheMiddleOfAPassLetsThePassFinish)
{
    TickString(1, "A");
    TickString(2, "B");
    TickString(3, "C");
    SetBox("leCycleCount", "5");
    SetBox("leCommandDelay", "500");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(4));
    PressStop();

    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == "3"; }));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B", "C", "A", "B", "C"}));
    EXPECT_TRUE(StringBox(1)->isEnabled());
}

TEST_F(CycleRun, TheLargestCountStillEndsAtStop)
{
    TickString(1, "BIG");
    SetBox("leCycleCount", QString::number(INT_MAX));
    SetBox("leCommandDelay", "0");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(2));
    PressStop();
    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle().toInt() == Commands().size() + 1; }));
}

// ---- Command-file runs over the pane's lines ----

TEST_F(FileRun, SendsCommandLinesTrimmedAndPassesOverCommentsAndEmptyLines)
{
    const QString file = QStringLiteral(" \tFIRST \t\n"
                                        "SKIPPED // remark\n"
                                        "\n"
                                        "// a comment\n"
                                        "   \n"
                                        "LAST\n");
    ShowCommandFile(file);
    SetBox("leCommandDelay", "0");
    PressStart();

    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"FIRST", "LAST"}));
    EXPECT_EQ(FilePane()->toPlainText(), file);
    EXPECT_EQ(CurrentCycle(), "1");
    EXPECT_EQ(StartButton()->text(), "&START");
    // START with the pane shown leaves the cycle strings disabled after the run.
    EXPECT_FALSE(StringBox(1)->isEnabled());
}

// A count box that holds no number runs the file once but a cycle until STOP.
TEST_F(FileRun, ACountBoxWithLettersRunsTheFileOnceAndACycleUntilStop)
{
    ShowCommandFile("ONLY");
    SetBox("leCycleCount", "abc");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_EQ(Commands(), QList<QByteArray>{"ONLY"});
    EXPECT_EQ(CurrentCycle(), "1");

    MainEntry("HideCommandFileWindow1")->trigger();
    TickString(5, "LOOP");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(4));
    PressStop();
    ASSERT_TRUE(WaitForStoppedCycleRun());
    EXPECT_EQ(Commands().mid(1), QList<QByteArray>(Commands().size() - 1, "LOOP"));
}

TEST_F(FileRun, AnEmptyPaneRunsAndSendsNothing)
{
    ShowCommandFile("");
    TickString(1, "NOT THE CYCLE");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_TRUE(Commands().isEmpty());
    EXPECT_EQ(CurrentCycle(), "1");
    EXPECT_EQ(StartButton()->text(), "&START");
}

TEST_F(FileRun, HaltWaitsForContinueAndTheCaptionReadsContinueUntilTheEnd)
{
    ShowCommandFile("A\n|:HALT\nB");
    SetBox("leCommandDelay", "300");
    PressStart();

    ASSERT_TRUE(WaitUntil([&] { return StartButton()->text() == "Continue"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n|:HALT <--\nB");
    EXPECT_TRUE(CommTermForm->FileHalted);
    EXPECT_EQ(Commands(), QList<QByteArray>{"A"});

    PressStart();
    // Continue only releases the halt: the counters are not reset.
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    ASSERT_TRUE(WaitForCommandCount(2));
    EXPECT_EQ(StartButton()->text(), "Continue");
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
    EXPECT_EQ(StartButton()->text(), "&START");
    EXPECT_EQ(FilePane()->toPlainText(), "A\n|:HALT\nB");
}

TEST_F(FileRun, StopWhileHaltedEndsTheRunAndRestoresTheLine)
{
    ShowCommandFile("// before |:HALT here\nNEVER");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return StartButton()->text() == "Continue"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "// before |:HALT here <--\nNEVER");

    PressStop();
    EXPECT_FALSE(CommTermForm->FileHalted);
    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == "1"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "// before |:HALT here\nNEVER");
    EXPECT_EQ(StartButton()->text(), "&START");
    EXPECT_TRUE(Commands().isEmpty());
}

TEST_F(FileRun, WaitPausesForItsArgumentAndLowerCaseKeywordsDoNothing)
{
    ShowCommandFile("A\n|:WAIT 400\nB\n|:halt\n|:WAIT\n|:WAIT 5000 // remark\nC");
    SetBox("leCommandDelay", "0");
    PressStart();

    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B", "C"}));
    EXPECT_GE(GapBefore(1), 400ms);
}

TEST_F(FileRun, ALineHoldingTheMarkerTextReadsExactlyAsBeforeAfterItRan)
{
    const QString file = QStringLiteral("SET <--\nX <-- <--\n|:WAIT 1 <--");
    ShowCommandFile(file);
    SetBox("leCommandDelay", "0");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunFile; }));
    EXPECT_EQ(FilePane()->toPlainText(), file);
    EXPECT_EQ(Commands(), (QList<QByteArray>{"SET <--", "X <-- <--"}));
}

// ---- The worker's life ----

// A step of the worker that fails (here: the main window has gone) ends the
// run it belongs to; the worker goes back to polling and takes the next run.
TEST_F(WorkerLife, AnErrorInsideARunEndsTheRunButNotTheWorker)
{
    TickString(1, "FIRST");
    SetBox("leCycleCount", "0");
    SetBox("leCommandDelay", "300");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(1));

    TCommTermForm* const window = CommTermForm;
    CommTermForm = nullptr;
    const bool runEnded = WaitUntil([] { return !CycleThread->RunCycle; });
    CommTermForm = window;
    ASSERT_TRUE(runEnded);
    EXPECT_EQ(Commands(), QList<QByteArray>{"FIRST"});

    SetBox("leCycleCount", "1");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(2));
    ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunCycle; }));
    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
}

TEST_F(WorkerLife, CloseDuringARunIsRefusedThenAllowed)
{
    TickString(1, "RUN");
    SetBox("leCycleCount", "0");
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(1));

    EXPECT_FALSE(CommTermForm->close());
    EXPECT_TRUE(CommTermForm->isVisible());
    EXPECT_NE(CycleThread, nullptr);
    EXPECT_FALSE(CycleThread->RunCycle);

    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_TRUE(CommTermForm->Closing);
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
    ASSERT_NE(CycleThread, nullptr);
    EXPECT_NE(CycleThread, replaced);
    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_TRUE(FilePane()->toPlainText().startsWith("|:WAIT 3000 <--"));

    TCommCycleThread::WaitUntilAllEnded();
    EXPECT_EQ(FilePane()->toPlainText(), "|:WAIT 3000\nAFTER");
    EXPECT_TRUE(Commands().isEmpty());
}

} // namespace
