#include "CycleFixture.h"

#include <climits>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

using CycleRun = CycleFixture;
using FileRun = CycleFixture;
using WorkerLife = CycleFixture;
using WorkerSoak = CycleFixture;

const QStringList FiveStrings = {"S1", "S2", "S3", "S4", "S5"};

// ---- Cycle runs over the ticked common strings ----

// A count of N sends N passes over the ticked strings in order, each string
// followed by the command delay and each pass, the last one included, by the
// cycle delay. An unticked string takes no delay; a negative command delay is
// written back as "0" and gives no pause, nor does a negative cycle delay; a
// negative count sends nothing.
TEST_F(CycleRun, ACountedRunSendsItsPassesWithTheDelaysOfTheirOwnBoxes)
{
    const struct {
        const char *Count, *CommandDelay, *CycleDelay, *Ticks;
        QList<QByteArray> Sent;
        std::vector<int> Pauses;
        const char *EndCycle, *CommandDelayAfter;
    } cases[] = {
        {"2", "7", "11", "x.x..", {"S1", "S3", "S1", "S3"}, {7, 7, 11, 7, 7, 11}, "2", "7"},
        {"1", "0", "13", "....x", {"S5"}, {13}, "1", "0"},
        {"1", "9", "0", ".....", {}, {}, "1", "9"},
        {"1", "-3", "-1", "x....", {"S1"}, {}, "1", "0"},
        {"-1", "7", "11", "xxxxx", {}, {}, "0", "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Count << " " << c.CommandDelay << " " << c.CycleDelay << " " << c.Ticks);
        Instrument->ClearReceived();
        ClearPauses();
        SetStrings(FiveStrings, c.Ticks);
        SetBox("leCycleCount", c.Count);
        SetBox("leCommandDelay", c.CommandDelay);
        SetBox("leCycleDelay", c.CycleDelay);
        PressStart();
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(Commands(), c.Sent);
        EXPECT_EQ(Pauses(), c.Pauses);
        EXPECT_EQ(CurrentCycle(), c.EndCycle);
        EXPECT_EQ(Box("leCommandDelay"), c.CommandDelayAfter);
        EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(c.Sent.size()));
    }
}

// STOP in the third pass: the flags are looked at once per pass, so that pass
// still sends all its strings; an endless run ends after it, a counted one
// counts one pass more that sends nothing. The worker takes each step only
// when the window thread serves it, so STOP lands before the pass has ended.
TEST_F(CycleRun, StopInAPassLetsThePassEndAndACountedRunCountsOneMore)
{
    const std::pair<QString, QString> cases[] = {{"0", "3"}, {QString::number(INT_MAX), "4"}};
    for (const auto& [count, endCycle] : cases) {
        SCOPED_TRACE(count.toStdString());
        TakeFreshWorker();
        Instrument->ClearReceived();
        SetStrings({"A", "B", "C"}, "xxx");
        SetBox("leCycleCount", count);
        PressStart();
        ASSERT_TRUE(WaitForCommandCount(7));
        PressStop();
        EXPECT_EQ(StartButton()->text(), "&START");
        EXPECT_TRUE(StringBox(1)->isEnabled());
        ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == endCycle; }));
        EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B", "C", "A", "B", "C", "A", "B", "C"}));
    }
}

// ---- Command-file runs over the pane's lines ----

// Every line is put back as it was; a line of blanks is a command that sends
// nothing but takes its delay; a WAIT whose argument is no number pauses 1 ms;
// lower-case keywords do nothing.
TEST_F(FileRun, SendsTrimmedCommandLinesPassesOverTheRestAndRestoresEveryLine)
{
    const QString file = QStringLiteral(" \tFIRST \t\nSKIPPED // remark\n\n// a comment\n   \n"
                                        "|:WAIT 40\n|:halt\n|:WAIT\n|:WAIT 5000 // remark\n"
                                        "SET <--\nX <-- <--\n|:WAIT 1 <--\nLAST\n");
    ShowCommandFile(file);
    PressStart();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(Commands(), (QList<QByteArray>{"FIRST", "SET <--", "X <-- <--", "LAST"}));
    EXPECT_EQ(Pauses(), (std::vector<int>{5, 5, 40, 1, 1, 5, 5, 1, 5}));
    EXPECT_EQ(FilePane()->toPlainText(), file);
    EXPECT_EQ(CurrentCycle(), "1");
    // START with the pane shown leaves the cycle strings disabled after the run.
    EXPECT_FALSE(StringBox(1)->isEnabled());
}

// A count box that holds no number runs the file once but a cycle until STOP;
// with the pane shown, even empty, START runs the file.
TEST_F(FileRun, ACountBoxWithLettersRunsTheFileOnceAndACycleUntilStop)
{
    SetStrings({"NOT THE FILE"}, "x");
    SetBox("leCycleCount", "abc");
    for (const QString& text : {QString(), QStringLiteral("ONLY")}) {
        ShowCommandFile(text);
        PressStart();
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(CurrentCycle(), "1");
    }
    EXPECT_EQ(Commands(), QList<QByteArray>{"ONLY"});

    MainEntry("HideCommandFileWindow1")->trigger();
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == "3"; }));
    PressStop();
    ASSERT_TRUE(WaitUntil([&] { return !CycleThread->RunCycle; }));
    EXPECT_EQ(Commands().mid(1), QList<QByteArray>(Commands().size() - 1, "NOT THE FILE"));
}

// Continue only releases the halt: the counters stay and the caption reads
// "Continue" until the run ends. STOP while halted ends the run. The worker
// may set "Continue" for the second HALT only after STOP has set "&START",
// so the end is the counter and the caption the run's last step gives.
TEST_F(FileRun, HaltWaitsForContinueOrStop)
{
    ShowCommandFile("A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return StartButton()->text() == "Continue"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here <--\nB\n|:HALT\nNEVER");
    EXPECT_EQ(Commands(), QList<QByteArray>{"A"});

    PressStart();
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    EXPECT_EQ(StartButton()->text(), "Continue");
    ASSERT_TRUE(WaitForMarkerOn("\n|:HALT"));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
    EXPECT_EQ(StartButton()->text(), "Continue");

    PressStop();
    ASSERT_TRUE(WaitUntil([&] { return CurrentCycle() == "1" && StartButton()->text() == "&START"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
}

// ---- The worker's life ----

// A step of the worker that fails (here: the main window has gone) ends the
// run it belongs to; the worker goes back to polling and takes the next run.
TEST_F(WorkerLife, AnErrorEndsTheRunNotTheWorker)
{
    SetStrings({"RUN"}, "x");
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
    PressStop();
}

// A replaced worker wakes from its sleep at once (a WAIT or a command delay
// of 2^31 ms), sends nothing more and ends.
TEST_F(WorkerLife, AReplacedWorkerWakesAtOnceSendsNothingMoreAndEnds)
{
    const QString wait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
    const struct {
        const char* Name;
        std::function<void()> Start;
        QList<QByteArray> Sent;
    } cases[] = {
        {"WAIT", [&] {
             ShowCommandFile(wait + "\nAFTER");
             PressStart();
             ASSERT_TRUE(WaitForMarkerOn(wait));
         }, {}},
        {"command delay", [&] {
             MainEntry("HideCommandFileWindow1")->trigger();
             SetStrings({"A", "B"}, "xx");
             SetBox("leCommandDelay", QString::number(INT_MAX));
             PressStart();
             ASSERT_TRUE(WaitForCommandCount(1));
         }, {"A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Instrument->ClearReceived();
        c.Start();
        TakeFreshWorker();
        EXPECT_EQ(Commands(), c.Sent);
    }
    EXPECT_EQ(FilePane()->toPlainText(), wait + "\nAFTER");
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
    SetStrings(FiveStrings, "xxxxx");
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
        ASSERT_EQ(sent[i], FiveStrings[i % 5].toLatin1()) << i;
    EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(sends));
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_TRUE(Ui.Exceptions.empty());
}

} // namespace
