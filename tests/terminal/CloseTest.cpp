#include "CycleFixture.h"

#include "panels/TessalineControl.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"

#include <QTimer>

#include <climits>
#include <functional>
#include <thread>

namespace {

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

class Closing : public CycleFixture
{
protected:
    // A new window set on the same instrument, its port chosen again.
    void Restart()
    {
        DestroyWindows();
        Folder.LinkPort(3, Instrument->SlavePath());
        Instrument->ClearReceived();
        CreateWindows();
        CommTermForm->show();
        SelectPort();
    }
};

// The worker it holds, and any it has replaced, end at once however long
// they sleep (a command delay, a WAIT of 2^31 ms): a close that did not wake
// them would hang here. Nothing of theirs runs afterwards: the pass's next
// string is never sent, no window is touched (with logging on, a late send
// would write to the log window, which goes before the main window), and the
// port is free for another program. A close during a run stops the run
// instead, and the next one closes.
TEST_F(Closing, EndsEveryWorkerAtOnceAndReleasesThePort)
{
    const QString endlessWait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
    auto cycleOfAB = [this] {
        SetStrings({"A", "B"}, "xx");
        SetBox("leCycleCount", "0");
        SetBox("leCommandDelay", QString::number(INT_MAX));
        PressStart();
        ASSERT_TRUE(WaitForCommandCount(1));
    };
    const struct {
        const char* Name;
        std::function<void()> Before;
        int Exits;
        bool PortLeft;
        QList<QByteArray> Sent;
    } cases[] = {
        {"port chosen again in the command delay", [&] {
             cycleOfAB();
             ChooseFromList(*MainControl<QComboBox>("cboCommTerminal"), 0, ListGesture::ListMouse);
         }, 1, true, {"A"}},
        {"rescan in the command delay", [&] {
             cycleOfAB();
             MainEntry("CommPortScan1")->trigger();
         }, 1, true, {"A"}},
        {"Comm Properties in the command delay", [&] {
             cycleOfAB();
             ModalScript dialog(*CommSettingForm);
             dialog.Then([](QDialog&) { CommSettingForm->cmdOK->click(); });
             MainEntry("CommProperties1")->trigger();
         }, 1, true, {"A"}},
        {"STOP in the command delay, then the port removed", [&] {
             cycleOfAB();
             PressStop();
             Folder.LinkPort(3, InstallPath() + "/gone");
         }, 1, false, {"A"}},
        {"command-file run in a long WAIT", [&] {
             ShowCommandFile(endlessWait + "\nAFTER");
             PressStart();
             ASSERT_TRUE(WaitForMarkerOn(endlessWait));
         }, 2, true, {}},
    };
    for (const bool logging : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.Name << (logging ? ", logging on" : ", logging off"));
            Restart();
            if (logging)
                MainEntry("ViewLog2")->trigger();
            c.Before();
            for (int exit = 1; exit < c.Exits; ++exit) {
                CommTermForm->Exit1Click();
                EXPECT_TRUE(CommTermForm->isVisible());
            }
            EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->Exit1Click(); }));
            EXPECT_FALSE(CommTermForm->isVisible());
            EXPECT_TRUE(CommTermForm->Closing);
            EXPECT_EQ(CycleThread, nullptr);
            EXPECT_EQ(TCommCycleThread::LiveWorkers(), 0);
            EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
            if (c.PortLeft) {
                CSerialPort other;
                EXPECT_TRUE(other.OpenCommPort("COM3"));
                other.CloseCommPort();
            }
            DestroyWindows();
            EXPECT_EQ(Commands(), c.Sent);
            EXPECT_TRUE(Ui.Exceptions.empty());
        }
    }
}

// No port was ever chosen, so no worker exists; a panel still shown does not
// keep the program running.
using ClosingWithoutPort = WindowFixture;

TEST_F(ClosingWithoutPort, ExitClosesAtOnceAndStopsThePoll)
{
    ASSERT_EQ(CycleThread, nullptr);
    TessalineControlForm->show();
    CommTermForm->DelayTimer->start();
    EXPECT_TRUE(QuitsTheApplication([] { CommTermForm->Exit1Click(); }));
    EXPECT_TRUE(CommTermForm->Closing);
    EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
}

// A replaced worker's late report must neither end the wait early nor, left
// over from before, count for the worker that replaced it. The report is a
// hand-over, so the wait must also keep carrying hand-overs out.
TEST_F(Closing, TheWaitEndsOnlyWithTheReportOfTheHeldWorker)
{
    TCommCycleThread replaced;
    CommTermForm->CycleThreadDone = true;
    TCommCycleThread current;
    CycleThread = &current;
    std::atomic<bool> doneAfterReplacedReport = true;
    std::atomic<bool> finished = false;
    std::thread thread([&] {
        while (!current.Terminated())
            std::this_thread::yield();
        replaced.ReportEnd();
        doneAfterReplacedReport = CommTermForm->CycleThreadDone.load();
        current.ReportEnd();
        finished = true;
    });
    EXPECT_TRUE(CommTermForm->close());
    while (!finished)
        platform::WaitTurn();
    thread.join();
    EXPECT_FALSE(doneAfterReplacedReport);
    EXPECT_TRUE(CommTermForm->CycleThreadDone);
}

} // namespace
