#include "ConfigurationTestSupport.h"
#include "TrafficFixture.h"

#include "panels/OrvaneConfiguration.h"
#include "panels/PanelSend.h"
#include "panels/TessalineControl.h"
#include "terminal/ConfigurationFile.h"
#include "terminal/commcyclethread.h"

#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <climits>
#include <functional>

namespace {

using Commands = QList<QByteArray>;
using Way = std::pair<const char*, std::function<void()>>;

// The program's top-level window of that object name.
QWidget* Window(const char* name)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name))
            return window;
    }
    return nullptr;
}

// A new run with the instrument on COM3 answering every command at once, from
// a configuration file of defaults, and a panel shown through its entry (none:
// the Dravik one) and firing after a click on its FIRE; the wire then cleared.
class Exit : public TrafficFixture
{
protected:
    void StartRunFiring(const char* panel = "TTessalineControlForm", const char* entry = "GRNIRControl1",
                        const QByteArray& lastFireCommand = ";LC:FL 3")
    {
        DestroyWindows();
        QFile::remove(ConfigFileName());
        Restart();
        SelectPort();
        AnswerEveryCommand("OK\r\n");
        WaitLongForReplies();
        if (entry != nullptr)
            MainEntry(entry)->trigger();
        else
            CommTermForm->DravikControl1Click();
        QTest::mouseClick(Window(panel)->findChild<QToolButton*>("sbFire"), Qt::LeftButton);
        ASSERT_TRUE(WaitUntilLastCommand(lastFireCommand));
        Instrument->ClearReceived();
        Ui.Questions.clear();
    }

    bool WaitUntilLastCommand(const QByteArray& command)
    {
        for (int count = 1;; ++count) {
            if (!Instrument->WaitForCommands(count))
                return false;
            if (Instrument->Commands().constLast() == command)
                return true;
        }
    }

    // What the instrument heard after the last clearing; while the main
    // window is open, a mark sent last shows that nothing is still on its way.
    Commands Heard()
    {
        if (!CommTermForm->isVisible())
            return Instrument->Commands();
        panels::Send(QStringLiteral("#mark"));
        if (!WaitUntilLastCommand("#mark"))
            return {"the mark never arrived"};
        Commands heard = Instrument->Commands();
        heard.removeLast();
        return heard;
    }

    const std::vector<Way> CloseWays{
        {"File > Exit", [this] { MainEntry("Exit1")->trigger(); }},
        {"the close box", [] { CommTermForm->close(); }},
    };
};

// Closing the main window, however the user does it, first closes every panel
// that fires exactly as the panel's own close does: its laser-off commands go
// out while the port is still there, its status timer stops and its file is
// written again, with the laser off. A port gone by then takes none of the
// commands, and the program, which is ending, does not rescan the ports for
// it: no warning comes up, and the configuration is written as the user left it.
TEST_F(Exit, ClosesEveryOpenPanelAsItsOwnCloseDoesBeforeTheProgramEnds)
{
    const struct {
        const char* Panel;
        const char* Entry;
        QByteArray LastFireCommand;
        Commands LaserOff;
        QString File;
        int FireLine;
        bool PortGone;
    } panels[] = {
        {"TTessalineControlForm", "GRNIRControl1", ";LC:FL 3", {";LC:FL 0"}, TessalineConfigFileName(), 2, false},
        {"TOrvaneControlForm", "OrvaneSystem1", "!SHUTTER=1", {"!GATE ACTIV=0", "!SHUTTER=0"},
         orvane::ConfigFileName(), 5, false},
        {"TDravikControlForm", nullptr, ";LC:FL 3", {";LC:FL 0"}, {}, 0, false},
        {"TTessalineControlForm", "GRNIRControl1", ";LC:FL 3", {}, TessalineConfigFileName(), 2, true},
    };
    for (const auto& panel : panels) {
        for (const auto& [way, close] : CloseWays) {
            SCOPED_TRACE(testing::Message() << panel.Panel << (panel.PortGone ? ", port gone" : "") << ", " << way);
            StartRunFiring(panel.Panel, panel.Entry, panel.LastFireCommand);
            ASSERT_TRUE(panel.File.isEmpty() || QFile::remove(panel.File));
            CommonString(1)->setText(QStringLiteral("KEPT"));
            if (panel.PortGone)
                Folder.LinkPort(3, InstallPath() + QStringLiteral("/gone"));
            Ui.Messages.clear();
            close();
            ASSERT_TRUE(Instrument->WaitForCommands(static_cast<int>(panel.LaserOff.size())));
            TerminalConfiguration written;
            ReadTerminalConfiguration(ReadWholeFile(ConfigFileName()), written);
            EXPECT_EQ(std::tuple(Instrument->Commands(), CommTermForm->isVisible(), Window(panel.Panel)->isVisible(),
                                 Ui.Messages.size(), written.PortName, written.Groups[0].CommandStrings[0]),
                      std::tuple(panel.LaserOff, false, false, 0u, QString("COM3"), QString("KEPT")));
            if (!panel.File.isEmpty()) {
                EXPECT_EQ(std::pair(Window(panel.Panel)->findChild<QTimer*>("tmrStatus")->isActive(),
                                    QString(ReadWholeFile(panel.File)).split("\r\n").value(panel.FireLine - 1)),
                          std::pair(false, QString("0")));
            }
            Folder.LinkPort(3, Instrument->SlavePath());
        }
    }
}

// Edits of the command-file pane that no save took are offered for saving
// before anything of the close happens; Cancel, in the question or in the save
// dialog, or a save that fails, keeps the program as it was: the panel still
// fires, the configuration file is untouched. A run going on refuses the
// close before anything is asked. Nothing is asked when nothing is unsaved.
TEST_F(Exit, AnUnsavedCommandFileIsOfferedForSavingBeforeAnythingOfTheClose)
{
    const QString saved = InstallPath() + QStringLiteral("/saved.txt");
    const QString missingFolder = InstallPath() + QStringLiteral("/missing/saved.txt");
    const Way ctrlX{"Ctrl+X", [this] { QTest::keyClick(FilePane(), Qt::Key_X, Qt::ControlModifier); }};
    const Way exit = CloseWays[0], closeBox = CloseWays[1];
    using Step = std::function<void()>;
    const Step type = [this] {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(FilePane(), ";LC:FL 1");
    };
    const Step save = [this] {
        Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/earlier.txt"));
        MainEntry("CloseCommandFile1")->trigger();
    };
    const Step load = [&] {
        ASSERT_TRUE(WriteWholeFile(saved, "LOADED\r\n"));
        Ui.AnswerFileDialog(saved);
        MainEntry("LoadCommandFile1")->trigger();
    };
    // The running-line marker is the program's change, not the user's.
    const Step runToItsEnd = [this] {
        MainControl<QPushButton>("cmdStartCycle")->click();
        ASSERT_TRUE(QTest::qWaitFor([] { return !CycleThread->RunFile; }, 20000));
        ASSERT_TRUE(WaitUntilLastCommand("LOADED"));
        Instrument->ClearReceived();
    };
    // The run sends the typed line and then waits for ever.
    const Step runForEver = [this] {
        const QString wait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
        FilePane()->append(wait);
        MainControl<QPushButton>("cmdStartCycle")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return FilePane()->toPlainText().endsWith(wait + " <--"); }, 20000));
        Instrument->ClearReceived();
    };
    using platform::Answer;
    const struct {
        const char* Name;
        std::vector<Step> Before;
        Way Close;
        std::vector<Answer> Answers;
        std::optional<QString> SaveAs;
        bool Closes;
        QByteArray SavedFile;
        QStringList Errors;
    } cases[] = {
        {"nothing typed", {}, exit, {}, {}, true, "", {}},
        {"typed and saved", {type, save}, closeBox, {}, {}, true, "", {}},
        {"typed, then a file loaded", {type, load}, ctrlX, {}, {}, true, "LOADED\r\n", {}},
        {"typed, No", {type}, ctrlX, {Answer::No}, {}, true, "", {}},
        {"typed, Yes, saved", {type}, exit, {Answer::Yes}, saved, true, ";LC:FL 1\r\n", {}},
        {"typed, Yes, dialog cancelled", {type}, closeBox, {Answer::Yes}, std::nullopt, false, "", {}},
        {"typed, Cancel", {type}, ctrlX, {Answer::Cancel}, {}, false, "", {}},
        {"typed, Yes, save fails", {type}, exit, {Answer::Yes}, missingFolder, false, "", {"Cannot create file"}},
        {"a file loaded and run", {load, runToItsEnd}, closeBox, {}, {}, true, "LOADED\r\n", {}},
        {"typed and running", {type, runForEver}, exit, {}, {}, false, "", {}},
        {"typed and running", {type, runForEver}, closeBox, {}, {}, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name << " through " << c.Close.first);
        QFile::remove(saved);
        StartRunFiring();
        for (const Step& step : c.Before)
            step();
        for (const Answer answer : c.Answers)
            Ui.AnswerQuestion(answer);
        Ui.FileDialogs.clear();
        if (c.SaveAs)
            Ui.AnswerFileDialog(*c.SaveAs);
        const QByteArray configuration = "as it was";
        ASSERT_TRUE(WriteWholeFile(ConfigFileName(), configuration));
        CommTermForm->ConfigChanged = true;

        c.Close.second();
        const bool asked = !c.Answers.empty(), dialogShown = asked && c.Answers[0] == Answer::Yes;
        ASSERT_EQ(std::pair(Ui.Questions.size(), Ui.FileDialogs.size()),
                  (std::pair<std::size_t, std::size_t>(asked, dialogShown)));
        if (asked) {
            EXPECT_EQ(Ui.Questions[0].Title + '|' + Ui.Questions[0].Text,
                      "Save Command File|The command file has been changed.\r\n\r\nDo you want to save the changes?");
        }
        if (dialogShown) {
            EXPECT_EQ(Ui.FileDialogs[0].Request.Title, "Save Command Input File");
        }
        if (c.Closes) {
            ASSERT_TRUE(Instrument->WaitForCommands(1));
        } else {
            EXPECT_FALSE(CycleThread != nullptr && CycleThread->RunFile);
        }
        EXPECT_EQ(std::tuple(CommTermForm->isVisible(), TessalineControlForm->isVisible(), Heard(),
                             ReadWholeFile(ConfigFileName()) == configuration, Heads(Ui.Exceptions),
                             QFile::exists(saved) ? ReadWholeFile(saved) : QByteArray()),
                  std::tuple(!c.Closes, !c.Closes, c.Closes ? Commands{";LC:FL 0"} : Commands{}, !c.Closes,
                             c.Errors, c.SavedFile));
    }
}

// The program's own boxes in place of the test's for as long as it lives.
class ProgramBoxes
{
public:
    explicit ProgramBoxes(platform::UiServices& test) : Test(test) { platform::InstallServices(nullptr); }
    ~ProgramBoxes() { platform::InstallServices(&Test); }
    ProgramBoxes(const ProgramBoxes&) = delete;
    ProgramBoxes& operator=(const ProgramBoxes&) = delete;

private:
    platform::UiServices& Test;
};

// Escape in the program's own exit question is Cancel, never No: the program
// stays open with its panel firing and the command file as it was typed.
TEST_F(Exit, EscapeInTheQuestionKeepsTheProgramOpen)
{
    StartRunFiring();
    MainEntry("ViewCommandFileWindow1")->trigger();
    FilePane()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(FilePane(), ";LC:FL 1");
    // Plays the user: Escape in the question, and any other dialog put away unanswered.
    QStringList shown;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (dialog == nullptr || !dialog->isVisible())
                continue;
            auto* box = qobject_cast<QMessageBox*>(dialog);
            shown << dialog->windowTitle() + '|' + (box != nullptr ? box->text() : QString());
            if (box != nullptr && shown.size() == 1)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                dialog->reject();
        }
    });
    {
        const ProgramBoxes boxes(Ui);
        user.start(10);
        MainEntry("Exit1")->trigger();
        user.stop();
    }
    const QString question = "Save Command File|The command file has been changed.\n\nDo you want to save the changes?";
    EXPECT_EQ(std::tuple(shown, CommTermForm->isVisible(), TessalineControlForm->isVisible(), FilePane()->toPlainText(),
                         Heard()),
              std::tuple(QStringList{question}, true, true, QString(";LC:FL 1"), Commands{}));
}

} // namespace
