#include "ConfigurationTestSupport.h"
#include "TrafficFixture.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneConfiguration.h"
#include "panels/OrvaneControl.h"
#include "panels/PanelSend.h"
#include "panels/TessalineControl.h"
#include "terminal/ConfigurationFile.h"
#include "terminal/commcyclethread.h"

#include <QPushButton>
#include <QToolButton>

#include <climits>
#include <functional>

namespace {

using Commands = QList<QByteArray>;
using Way = std::pair<const char*, std::function<void()>>;

// A new run with the instrument on COM3 answering every command at once,
// from a configuration file of defaults.
class Exit : public TrafficFixture
{
protected:
    void StartRun()
    {
        DestroyWindows();
        QFile::remove(ConfigFileName());
        Restart();
        SelectPort();
        AnswerEveryCommand("OK\r\n");
        WaitLongForReplies();
        Ui.Questions.clear();
        Ui.FileDialogs.clear();
    }

    // Shows the panel through its entry and clicks its FIRE, as a user does;
    // the wire is then cleared.
    void Fire(QWidget& panel, const std::function<void()>& open, const QByteArray& lastFireCommand)
    {
        open();
        QTest::mouseClick(panel.findChild<QToolButton*>("sbFire"), Qt::LeftButton);
        ASSERT_TRUE(WaitUntilLastCommand(lastFireCommand));
        Instrument->ClearReceived();
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
        if (CommTermForm->isVisible()) {
            panels::Send(QStringLiteral("#mark"));
            if (!WaitUntilLastCommand("#mark"))
                return {"the mark never arrived"};
            Commands heard = Instrument->Commands();
            heard.removeLast();
            return heard;
        }
        return Instrument->Commands();
    }

    const std::vector<Way> CloseWays{
        {"File > Exit", [this] { MainEntry("Exit1")->trigger(); }},
        {"the close box", [] { CommTermForm->close(); }},
    };
};

QString TessalineFile() { return TessalineConfigFileName(); }

// Line n (from 1) of the file, or "<none>" when there is no such file.
QString FileLine(const QString& fileName, int n)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<none>");
    return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n")).value(n - 1);
}

// Closing the main window, however the user does it, first closes every panel
// that fires exactly as the panel's own close does: its laser-off commands go
// out while the port is still there, its status timer stops and its file is
// written again, with the laser off.
TEST_F(Exit, ClosesEveryOpenPanelAsItsOwnCloseDoesBeforeTheProgramEnds)
{
    const struct {
        const char* Name;
        QWidget* (*Panel)();
        const char* Entry;
        QByteArray LastFireCommand;
        Commands LaserOff;
        QTimer* (*StatusTimer)();
        QString (*File)();
        int FireLine;
    } panels[] = {
        {"Tessaline", []() -> QWidget* { return TessalineControlForm; }, "GRNIRControl1", ";LC:FL 3", {";LC:FL 0"},
         [] { return TessalineControlForm->tmrStatus; }, TessalineFile, 2},
        {"Orvane", []() -> QWidget* { return OrvaneControlForm; }, "OrvaneSystem1", "!SHUTTER=1",
         {"!GATE ACTIV=0", "!SHUTTER=0"}, [] { return OrvaneControlForm->tmrStatus; }, orvane::ConfigFileName, 5},
        {"Dravik", []() -> QWidget* { return DravikControlForm; }, nullptr, ";LC:FL 3", {";LC:FL 0"}, nullptr,
         nullptr, 0},
    };
    for (const auto& panel : panels) {
        for (const auto& [way, close] : CloseWays) {
            SCOPED_TRACE(testing::Message() << panel.Name << " through " << way);
            StartRun();
            Fire(*panel.Panel(), [&] {
                if (panel.Entry != nullptr)
                    MainEntry(panel.Entry)->trigger();
                else
                    CommTermForm->DravikControl1Click();
            }, panel.LastFireCommand);
            if (panel.File != nullptr) {
                ASSERT_TRUE(QFile::remove(panel.File()));
            }
            close();
            ASSERT_TRUE(Instrument->WaitForCommands(static_cast<int>(panel.LaserOff.size())));
            EXPECT_EQ(std::tuple(Instrument->Commands(), CommTermForm->isVisible(), panel.Panel()->isVisible()),
                      std::tuple(panel.LaserOff, false, false));
            if (panel.File != nullptr) {
                EXPECT_EQ(std::tuple(panel.StatusTimer()->isActive(), FileLine(panel.File(), panel.FireLine)),
                          std::tuple(false, QString("0")));
            }
        }
    }
}

// A port gone by the time of the exit takes none of a panel's commands, and
// the program, which is ending, does not rescan the ports for it: no warning
// comes up, and the configuration is written as the user left it.
TEST_F(Exit, APanelFindingThePortGoneAtTheExitCostsNoneOfTheConfiguration)
{
    for (const auto& [way, close] : CloseWays) {
        SCOPED_TRACE(way);
        StartRun();
        Fire(*TessalineControlForm, [this] { MainEntry("GRNIRControl1")->trigger(); }, ";LC:FL 3");
        CommonString(1)->setText(QStringLiteral("KEPT"));
        Folder.LinkPort(3, InstallPath() + QStringLiteral("/gone"));
        Ui.Messages.clear();
        close();
        TerminalConfiguration written;
        ReadTerminalConfiguration(ReadWholeFile(ConfigFileName()), written);
        EXPECT_EQ(std::tuple(CommTermForm->isVisible(), TessalineControlForm->isVisible(), Ui.Messages.size(),
                             written.PortName, written.Groups[0].CommandStrings[0], Instrument->Commands()),
                  std::tuple(false, false, 0u, QString("COM3"), QString("KEPT"), Commands{}));
        Folder.LinkPort(3, Instrument->SlavePath());
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
    const auto type = [this] {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(FilePane(), ";LC:FL 1");
    };
    const auto typeAndSave = [&] {
        type();
        Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/earlier.txt"));
        MainEntry("CloseCommandFile1")->trigger();
    };
    const auto load = [&] {
        ASSERT_TRUE(WriteWholeFile(saved, "LOADED\r\n"));
        Ui.AnswerFileDialog(saved);
        MainEntry("LoadCommandFile1")->trigger();
    };
    const auto typeAndLoad = [&] {
        type();
        load();
    };
    // The running-line marker is the program's change, not the user's.
    const auto loadAndRun = [&] {
        load();
        MainControl<QPushButton>("cmdStartCycle")->click();
        ASSERT_TRUE(QTest::qWaitFor([] { return !CycleThread->RunFile; }, 20000));
        ASSERT_TRUE(WaitUntilLastCommand("LOADED"));
        Instrument->ClearReceived();
    };
    // The run sends the typed line and then waits for ever.
    const auto typeAndRun = [&] {
        type();
        const QString wait = QStringLiteral("|:WAIT %1").arg(INT_MAX);
        FilePane()->append(wait);
        MainControl<QPushButton>("cmdStartCycle")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return FilePane()->toPlainText().endsWith(wait + " <--"); }, 20000));
        Instrument->ClearReceived();
    };
    using platform::Answer;
    const struct {
        const char* Name;
        std::function<void()> Before;
        Way Close;
        std::vector<Answer> Answers;
        std::optional<QString> SaveAs;
        bool Asked, Closes;
        QByteArray SavedFile;
        std::vector<QString> Errors;
    } cases[] = {
        {"nothing typed", [] {}, exit, {}, {}, false, true, "", {}},
        {"typed and saved", typeAndSave, closeBox, {}, {}, false, true, "", {}},
        {"typed, then a file loaded", typeAndLoad, ctrlX, {}, {}, false, true, "LOADED\r\n", {}},
        {"typed, No", type, ctrlX, {Answer::No}, {}, true, true, "", {}},
        {"typed, Yes, saved", type, exit, {Answer::Yes}, saved, true, true, ";LC:FL 1\r\n", {}},
        {"typed, Yes, dialog cancelled", type, closeBox, {Answer::Yes}, std::nullopt, true, false, "", {}},
        {"typed, Cancel", type, ctrlX, {Answer::Cancel}, {}, true, false, "", {}},
        {"typed, Yes, save fails", type, exit, {Answer::Yes}, missingFolder, true, false, "",
         {"Cannot create file"}},
        {"a file loaded and run", loadAndRun, closeBox, {}, {}, false, true, "LOADED\r\n", {}},
        {"typed and running", typeAndRun, exit, {}, {}, false, false, "", {}},
        {"typed and running", typeAndRun, closeBox, {}, {}, false, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name << " through " << c.Close.first);
        QFile::remove(saved);
        StartRun();
        Fire(*TessalineControlForm, [this] { MainEntry("GRNIRControl1")->trigger(); }, ";LC:FL 3");
        c.Before();
        for (const Answer answer : c.Answers)
            Ui.AnswerQuestion(answer);
        Ui.FileDialogs.clear();
        if (c.SaveAs)
            Ui.AnswerFileDialog(*c.SaveAs);
        const QByteArray configuration = "as it was";
        ASSERT_TRUE(WriteWholeFile(ConfigFileName(), configuration));
        CommTermForm->ConfigChanged = true;

        c.Close.second();
        ASSERT_EQ(Ui.Questions.size(), c.Asked ? 1u : 0u);
        if (c.Asked) {
            EXPECT_EQ(std::tuple(Ui.Questions[0].Title, Ui.Questions[0].Text),
                      std::tuple(QString("Save Command File"), QString("The command file has been changed.\r\n\r\n"
                                                                       "Do you want to save the changes?")));
        }
        const bool dialogShown = !c.Answers.empty() && c.Answers[0] == Answer::Yes;
        EXPECT_EQ(Ui.FileDialogs.size(), dialogShown ? 1u : 0u);
        if (dialogShown) {
            EXPECT_EQ(Ui.FileDialogs[0].Request.Title, "Save Command Input File");
        }
        if (c.Closes) {
            ASSERT_TRUE(Instrument->WaitForCommands(1));
        }
        EXPECT_EQ(std::tuple(CommTermForm->isVisible(), TessalineControlForm->isVisible(), Heard(),
                             ReadWholeFile(ConfigFileName()) == configuration, Heads(Ui.Exceptions)),
                  std::tuple(!c.Closes, !c.Closes, c.Closes ? Commands{";LC:FL 0"} : Commands{}, !c.Closes,
                             QStringList(c.Errors.begin(), c.Errors.end())));
        if (!c.Closes) {
            EXPECT_FALSE(CycleThread->RunFile);
        }
        EXPECT_EQ(QFile::exists(saved) ? ReadWholeFile(saved) : QByteArray(), c.SavedFile);
    }
}

} // namespace
