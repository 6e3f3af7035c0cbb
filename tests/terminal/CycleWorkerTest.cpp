#include "CycleFixture.h"

#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"

#include <QDir>
#include <QTimer>

#include <climits>
#include <optional>
#include <thread>

namespace {

using CycleRun = CycleFixture;
using FileRun = CycleFixture;
using WorkerLife = CycleFixture;
using WorkerSoak = CycleFixture;
using Closing = CycleFixture;

const QStringList FiveStrings = {"S1", "S2", "S3", "S4", "S5"};

// A count of N sends N passes, each thing sent followed by the command delay
// and each pass, the last included, by the cycle delay, each from its own box.
// A cycle run sends the ticked strings in order, an unticked one taking no
// delay; a file run sends the trimmed command lines, a line of blanks sending
// nothing but taking its delay, passes over comments and empty lines, pauses
// at WAIT (1 ms when the argument is no number), ignores lower-case keywords,
// puts every line back as it was and leaves the cycle strings disabled. A
// negative command delay is written back as "0" and, like a negative cycle
// delay, gives no pause; a negative count sends nothing; a count of letters
// runs a file, even an empty one, once (the pane shown chooses the file).
TEST_F(CycleRun, ARunSendsItsPassesWithTheDelaysOfTheirOwnBoxes)
{
    const QString file = QStringLiteral(" \tFIRST \t\nSKIPPED // remark\n\n// a comment\n   \n|:WAIT 40\n|:halt\n"
                                        "|:WAIT\n|:WAIT 5000 // remark\nSET <--\nX <-- <--\n|:WAIT 1 <--\nLAST\n");
    const struct {
        const char *Count, *CommandDelay, *CycleDelay, *Ticks;
        std::optional<QString> File;
        QList<QByteArray> Sent;
        std::vector<int> Pauses;
        const char *EndCycle, *CommandDelayAfter;
    } cases[] = {
        {"2", "7", "11", "x.x..", {}, {"S1", "S3", "S1", "S3"}, {7, 7, 11, 7, 7, 11}, "2", "7"},
        {"1", "0", "13", "....x", {}, {"S5"}, {13}, "1", "0"},
        {"1", "9", "0", ".....", {}, {}, {}, "1", "9"},
        {"1", "-3", "-1", "x....", {}, {"S1"}, {}, "1", "0"},
        {"-1", "7", "11", "xxxxx", {}, {}, {}, "0", "7"},
        {"2", "7", "11", "xxxxx", "F", {"F", "F"}, {7, 11, 7, 11}, "2", "7"},
        {"abc", "5", "0", "xxxxx", file, {"FIRST", "SET <--", "X <-- <--", "LAST"},
         {5, 5, 40, 1, 1, 5, 5, 1, 5}, "1", "5"},
        {"abc", "5", "0", "xxxxx", "", {}, {}, "1", "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Count << " " << c.CommandDelay << " " << c.CycleDelay << " " << c.Ticks);
        Instrument->ClearReceived();
        SetStrings(FiveStrings, c.Ticks);
        SetBox("leCycleCount", c.Count);
        SetBox("leCommandDelay", c.CommandDelay);
        SetBox("leCycleDelay", c.CycleDelay);
        if (c.File)
            ShowCommandFile(*c.File);
        else
            MainEntry("HideCommandFileWindow1")->trigger();
        PressStart();
        ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunCycle && !CycleThread->RunFile; }));
        EXPECT_EQ(Commands(), c.Sent);
        EXPECT_EQ(TakePauses(), c.Pauses);
        EXPECT_EQ(Box("leCurrentCycle"), c.EndCycle);
        EXPECT_EQ(Box("leCommandDelay"), c.CommandDelayAfter);
        EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(c.Sent.size()));
        EXPECT_EQ(FilePane()->toPlainText(), c.File.value_or(FilePane()->toPlainText()));
        EXPECT_EQ(StringBox(1)->isEnabled(), !c.File);
        PressStop();
    }
}

// STOP in the third pass: the flags are looked at once per pass, so that pass
// sends all its strings; an endless run (a count of 0 or of letters) ends
// after it, a counted one counts one pass more that sends nothing. The worker
// steps on only when the window thread serves it, so STOP lands in the pass.
TEST_F(CycleRun, StopInAPassLetsThePassEndAndACountedRunCountsOneMore)
{
    const std::pair<QString, const char*> cases[] = {{"0", "3"}, {"abc", "3"}, {QString::number(INT_MAX), "4"}};
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
        ASSERT_TRUE(WaitUntil([&] { return Box("leCurrentCycle") == endCycle; }));
        EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B", "C", "A", "B", "C", "A", "B", "C"}));
    }
}

// The Orvane panel shown with "Query Status" ticked. Its timer is stopped, so
// that only the test ticks the poll.
QTimer& PollingOrvane()
{
    CommTermForm->OrvaneSystem1Click();
    OrvaneControlForm->findChild<QCheckBox*>(QStringLiteral("cbStatus"))->click();
    OrvaneControlForm->tmrStatus->stop();
    return *OrvaneControlForm->tmrStatus;
}

// A pass stopped in its middle. A user's STOP lets it send its remaining
// strings. A pulled adapter ends it at the first send that finds the port
// gone: only what went before the pull is on the wire, and the one rescan
// warns once for its scan and once for the selection. Pulled before START or
// as the first string arrives, also when a panel's poll ticks first and finds
// the port gone itself. Or the cycle's send runs inside the poll, in the box
// that the poll's first query shows (the full pane could not be saved), the
// adapter having gone during that query: the poll then sends nothing more
// either. A command file stops at its next line.
TEST_F(CycleRun, APassEndsAtASendThatFoundThePortGoneButSendsItsRestAfterStop)
{
    // The exception box left open: as a modal box's loop does, it serves the
    // window thread until a send has found the port gone.
    struct BoxOpenUntilThePortIsGone : TestServices
    {
        void ShowException(const QString& message) override
        {
            TestServices::ShowException(message);
            const unsigned lost = CommTermForm->PortLostSends;
            EXPECT_TRUE(WaitUntil([lost] { return CommTermForm->PortLostSends != lost; }));
        }
    } boxes;
    enum class Stop { User, PullBeforeStart, PullAtFirstString, PullInPoll };
    const struct {
        const char* Name;
        Stop How;
        bool PollTicks;
        bool File;
        QList<QByteArray> Sent;
        std::size_t Boxes;
    } cases[] = {
        {"STOP", Stop::User, false, false, {"S1", "S2", "S3", "S4", "S5"}, 0},
        {"pulled before START", Stop::PullBeforeStart, false, false, {}, 2},
        {"pulled before START, the poll first", Stop::PullBeforeStart, true, false, {}, 2},
        {"pulled at the first string", Stop::PullAtFirstString, false, false, {"S1"}, 2},
        {"pulled at the first string, the poll next", Stop::PullAtFirstString, true, false, {"S1"}, 2},
        {"a file pulled at its first line", Stop::PullAtFirstString, false, true, {"S1"}, 2},
        {"pulled in the poll, the cycle's send in its box", Stop::PullInPoll, true, false, {"?SYSTEM"}, 2},
    };
    QTimer& poll = PollingOrvane();
    ASSERT_TRUE(QDir(InstallPath() + QStringLiteral("/Logs")).removeRecursively());
    const ScopedServices shown(boxes);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PlugInAgain();
        boxes.Messages.clear();
        boxes.Exceptions.clear();
        SetStrings(FiveStrings, "xxxxx");
        SetBox("leCycleCount", "0");
        if (c.File)
            ShowCommandFile(FiveStrings.join('\n'));
        if (c.How == Stop::PullInPoll) {
            Pane()->setPlainText(NumberedLines(20000));
            PullAt("?SYSTEM");
        }
        if (c.How == Stop::PullAtFirstString)
            PullAt("S1");
        if (c.How == Stop::PullBeforeStart)
            Instrument->Pull();
        PressStart();
        if (c.How == Stop::User || c.How == Stop::PullAtFirstString) {
            ASSERT_TRUE(WaitForCommandCount(1));
        }
        if (c.How == Stop::User)
            PressStop();
        if (c.PollTicks)
            Tick(poll);
        // A pulled port is gone after the rescan, and so is its worker.
        ASSERT_TRUE(WaitUntil([&] {
            return c.How == Stop::User ? Box("leCurrentCycle") == "1" : TCommCycleThread::LiveWorkers() == 0;
        }));
        EXPECT_EQ(std::tuple(Commands(), boxes.Messages.size(), StatusPanel(1), boxes.Exceptions.size()),
                  std::tuple(c.Sent, c.Boxes, QStringLiteral("Commands Sent: %1").arg(c.Sent.size()),
                             c.How == Stop::PullInPoll ? 1u : 0u));
    }
}

// START at a HALT only releases it: the counters stay, and the caption reads
// "Continue" until the run ends. STOP while halted ends the run. The worker
// may show "Continue" for the second HALT only after STOP showed "&START", so
// the end awaited is the counter and caption that the run's last steps give.
TEST_F(FileRun, HaltWaitsForContinueOrStop)
{
    ShowCommandFile("A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    PressStart();
    ASSERT_TRUE(WaitUntil([&] { return StartButton()->text() == "Continue"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here <--\nB\n|:HALT\nNEVER");
    EXPECT_EQ(Commands(), QList<QByteArray>{"A"});

    PressStart();
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    ASSERT_TRUE(WaitForMarkerOn("\n|:HALT"));
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
    EXPECT_EQ(StartButton()->text(), "Continue");

    PressStop();
    ASSERT_TRUE(WaitUntil([&] { return Box("leCurrentCycle") == "1" && StartButton()->text() == "&START"; }));
    EXPECT_EQ(FilePane()->toPlainText(), "A\n// before |:HALT here\nB\n|:HALT\nNEVER");
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
}

// A replaced worker wakes at once from a WAIT or command delay of 2^31 ms and
// ends: a file run before its next line, a cycle pass once it has sent its
// remaining strings.
TEST_F(WorkerLife, AReplacedWorkerWakesAtOnceAndEndsWhereItsRunWouldStop)
{
    const QString wait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
    ShowCommandFile(wait + "\nAFTER");
    PressStart();
    ASSERT_TRUE(WaitForMarkerOn(wait));
    TakeFreshWorker();
    EXPECT_EQ(FilePane()->toPlainText(), wait + "\nAFTER");

    MainEntry("HideCommandFileWindow1")->trigger();
    SetStrings({"A", "B"}, "xx");
    SetBox("leCommandDelay", QString::number(INT_MAX));
    PressStart();
    ASSERT_TRUE(WaitForCommandCount(1));
    TakeFreshWorker();
    EXPECT_EQ(Commands(), (QList<QByteArray>{"A", "B"}));
}

// The instrument talks on its own all through the run, so the poll for
// unsolicited input and the worker's sends keep meeting at the port-busy
// flag; it pauses longer than a reply's silence, or no reply would end short
// of the receive buffer. The ThreadSanitizer run asks for 2000 sends through
// COMMTERM_SOAK_SENDS, the ordinary suite soaks 250.
TEST_F(WorkerSoak, ACycleRunKeepsOrderWhileUnsolicitedInputArrives)
{
    bool given = false;
    const int asked = qEnvironmentVariableIntValue("COMMTERM_SOAK_SENDS", &given);
    const int passes = given && asked >= 5 ? asked / 5 : 50;
    SetStrings(FiveStrings, "xxxxx");
    SetBox("leCycleCount", QString::number(passes));
    SetBox("leCommandDelay", "0");
    {
        std::jthread chatter([this](std::stop_token stop) {
            for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(40)))
                Instrument->Send("STATUS 1\r\n");
        });
        PressStart();
        ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunCycle; }, 600000));
    }
    const QList<QByteArray> sent = Commands();
    ASSERT_EQ(sent.size(), passes * 5);
    for (int i = 0; i < sent.size(); ++i)
        ASSERT_EQ(sent[i], FiveStrings[i % 5].toLatin1()) << i;
    EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(passes * 5));
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_TRUE(Ui.Exceptions.empty());
}

// Runs the step inside the message loop and tells whether the loop ended
// through the application's quit; a fallback ends a loop the step does not.
bool QuitsTheApplication(const std::function<void()>& step)
{
    QTimer::singleShot(0, step);
    QTimer fallback;
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    fallback.start(20000);
    return QApplication::exec() == 0;
}

// Every worker, the held one and those it replaced, ends at once however long
// it sleeps (a command delay or WAIT of 2^31 ms): a close that did not wake
// them would hang here. From the start of the close nothing of theirs runs:
// the pass's next string never goes out, no window is touched (with logging
// on, a late send would write to the log window, which goes first), and the
// port is free for another program. A worker replaced well before the close
// has sent its pass and gone. A close during a run stops the run instead; the
// next one closes. Destroying the windows ends the workers the same way. A
// panel still shown is closed first, so its laser-off command is the last
// thing on the wire, and no worker's command follows it.
TEST_F(Closing, EndsEveryWorkerAtOnceAndReleasesThePort)
{
    const QString wait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
    auto cycleOfAB = [this] {
        SetStrings({"A", "B"}, "xx");
        SetBox("leCycleCount", "0");
        SetBox("leCommandDelay", QString::number(INT_MAX));
        PressStart();
        ASSERT_TRUE(WaitForCommandCount(1));
    };
    auto oldWorkerGone = [] { ASSERT_TRUE(WaitUntil([] { return TCommCycleThread::LiveWorkers() == 1; })); };
    enum class Close { InTheLoop, AtOnce, SecondTime, DestroyOnly };
    const struct {
        const char* Name;
        std::function<void()> Before;
        Close How;
        bool PortLeft;
        QList<QByteArray> Sent;
    } cases[] = {
        {"port chosen again", [&] {
             cycleOfAB();
             ChooseFromList(*MainControl<QComboBox>("cboCommTerminal"), 0, ListGesture::ListMouse);
         }, Close::AtOnce, true, {"A", ";LC:FL 0"}},
        {"rescan", [&] {
             cycleOfAB();
             MainEntry("CommPortScan1")->trigger();
             oldWorkerGone();
         }, Close::InTheLoop, true, {"A", "B", ";LC:FL 0"}},
        {"Comm Properties", [&] {
             cycleOfAB();
             ModalScript dialog(*CommSettingForm);
             dialog.Then([](QDialog&) { CommSettingForm->cmdOK->click(); });
             MainEntry("CommProperties1")->trigger();
             oldWorkerGone();
         }, Close::InTheLoop, true, {"A", "B", ";LC:FL 0"}},
        {"STOP, then the port removed", [&] {
             cycleOfAB();
             PressStop();
             Folder.LinkPort(3, InstallPath() + "/gone");
         }, Close::InTheLoop, false, {"A"}},
        {"a long WAIT", [&] {
             ShowCommandFile(wait + "\nAFTER");
             PressStart();
             ASSERT_TRUE(WaitForMarkerOn(wait));
         }, Close::SecondTime, true, {";LC:FL 0"}},
        {"destroyed in the command delay", cycleOfAB, Close::DestroyOnly, true, {"A"}},
        {"no worker held", [] { CommTermForm->ReplaceWorker(); }, Close::InTheLoop, true, {";LC:FL 0"}},
    };
    for (const bool logging : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.Name << (logging ? ", logging on" : ""));
            DestroyWindows();
            Folder.LinkPort(3, Instrument->SlavePath());
            Restart();
            SelectPort();
            if (logging)
                MainEntry("ViewLog2")->trigger();
            TessalineControlForm->show();
            // The showing sends the panel's stored settings and has read every
            // reply: only what the close leaves is looked at.
            Instrument->ClearReceived();
            c.Before();
            if (c.How == Close::SecondTime) {
                CommTermForm->Exit1Click();
                EXPECT_TRUE(CommTermForm->isVisible());
            }
            if (c.How == Close::AtOnce) {
                CommTermForm->Exit1Click();
            } else if (c.How != Close::DestroyOnly) {
                EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->Exit1Click(); }));
            }
            if (c.How != Close::DestroyOnly) {
                EXPECT_EQ(std::tuple(CommTermForm->isVisible(), CommTermForm->Closing.load(),
                                     CommTermForm->DelayTimer->isActive(), CommTermForm->CommPort->IsCommPortOpen()),
                          std::tuple(false, true, false, false));
            }
            DestroyWindows();
            CSerialPort other;
            EXPECT_EQ(std::tuple(TCommCycleThread::LiveWorkers(), other.OpenCommPort("COM3"), Commands(),
                                 Ui.Exceptions.size()),
                      std::tuple(0, c.PortLeft, c.Sent, 0u));
            other.CloseCommPort();
        }
    }
}

} // namespace
