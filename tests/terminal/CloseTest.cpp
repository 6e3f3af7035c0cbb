#include "CycleFixture.h"

#include "panels/TessalineControl.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"

#include <QTimer>

#include <climits>

namespace {

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

using Closing = CycleFixture;

// Every worker, the held one and those it replaced, ends at once however long
// it sleeps (a command delay or WAIT of 2^31 ms): a close that did not wake
// them would hang here. From the start of the close nothing of theirs runs:
// the pass's next string never goes out, no window is touched (with logging
// on, a late send would write to the log window, which goes first), and the
// port is free for another program. A worker replaced well before the close
// has sent its pass and gone. A close during a run stops the run instead; the
// next one closes. Destroying the windows ends the workers the same way. A
// panel still shown does not keep the program running.
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
         }, Close::AtOnce, true, {"A"}},
        {"rescan", [&] {
             cycleOfAB();
             MainEntry("CommPortScan1")->trigger();
             oldWorkerGone();
         }, Close::InTheLoop, true, {"A", "B"}},
        {"Comm Properties", [&] {
             cycleOfAB();
             ModalScript dialog(*CommSettingForm);
             dialog.Then([](QDialog&) { CommSettingForm->cmdOK->click(); });
             MainEntry("CommProperties1")->trigger();
             oldWorkerGone();
         }, Close::InTheLoop, true, {"A", "B"}},
        {"STOP, then the port removed", [&] {
             cycleOfAB();
             PressStop();
             Folder.LinkPort(3, InstallPath() + "/gone");
         }, Close::InTheLoop, false, {"A"}},
        {"a long WAIT", [&] {
             ShowCommandFile(wait + "\nAFTER");
             PressStart();
             ASSERT_TRUE(WaitForMarkerOn(wait));
         }, Close::SecondTime, true, {}},
        {"destroyed in the command delay", cycleOfAB, Close::DestroyOnly, true, {"A"}},
        {"no worker held", [] { CommTermForm->ReplaceWorker(); }, Close::InTheLoop, true, {}},
    };
    for (const bool logging : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.Name << (logging ? ", logging on" : ""));
            DestroyWindows();
            Folder.LinkPort(3, Instrument->SlavePath());
            Instrument->ClearReceived();
            CreateWindows();
            CommTermForm->show();
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
                EXPECT_FALSE(CommTermForm->isVisible());
                EXPECT_TRUE(CommTermForm->Closing);
                EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
                EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
            }
            DestroyWindows();
            EXPECT_EQ(TCommCycleThread::LiveWorkers(), 0);
            CSerialPort other;
            EXPECT_EQ(other.OpenCommPort("COM3"), c.PortLeft);
            other.CloseCommPort();
            EXPECT_EQ(Commands(), c.Sent);
            EXPECT_TRUE(Ui.Exceptions.empty());
        }
    }
}

} // namespace
