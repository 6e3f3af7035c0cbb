#include "TrafficFixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <map>
#include <tuple>

namespace {

using SendRoad = TrafficFixture;

TEST_F(SendRoad, WritesTheCommandWithItsTerminatorAndKeepsTheReplyUpToItsFirstCarriageReturn)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("VAL 5\r\nMORE\r\n");
    Send("*IDN?");
    EXPECT_EQ(CommTermForm->LastResponse, "VAL 5");
    AnswerEveryCommand("NO TERMINATOR");
    Send("Q2");
    EXPECT_EQ(std::tuple(CommTermForm->LastResponse, CommTermForm->LastCommand), std::tuple(QString("NO TERMINATOR"), QString("Q2")));
    // The instrument answers only commands ending in its own terminator.
    CommTermForm->TerminationBytes = QByteArray("\r");
    Send(";LC:FL 3");
    Send(";LC:ED?");
    ASSERT_TRUE(Instrument->WaitForBytes(7 + 4 + 17));
    EXPECT_EQ(Instrument->Received(), "*IDN?\r\nQ2\r\n;LC:FL 3\r;LC:ED?\r");
    // An unanswered command: an empty stamp in the log, no reply in the pane.
    EXPECT_TRUE(CommTermForm->LastResponse.isEmpty());
    EXPECT_EQ(LogLines().mid(LogLines().size() - 2), (QStringList{"[t]  ;LC:ED?", "[]  "}));
    EXPECT_EQ(PaneLines().constLast(), "[t]  ;LC:ED?");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 4");
    EXPECT_FALSE(CommTermForm->PortBusy);
}

// The driver keeps the read time-out it was given (here the settings
// window's 2000 ms) through the reopen before every command, so a reply that
// comes after the first-byte polls is still the command's reply.
TEST_F(SendRoad, AReplyAfterTheFirstBytePollsIsCaughtWithinTheReadTimeOutKeptThroughTheReopen)
{
    ASSERT_TRUE(CommTermForm->CommPort->InitCommPort("9600"));
    FakeReply late("LATE\r\n");
    late.DelayMs = 600;
    Instrument->SetRule([late](const QByteArray&) { return late; });
    Send("Q?");
    EXPECT_EQ(CommTermForm->LastResponse, "LATE");
}

// Placeholders send nothing and leave the configuration alone; empty text
// marks it; a port box naming no port sends nothing, stops the run and rescans.
TEST_F(SendRoad, PlaceholdersEmptyTextAndAMissingPortSendNothing)
{
    CommTermForm->ConfigChanged = false;
    for (const char* placeholder : {"Empty", "Command", "xCommandx", "Empty 2"}) {
        Send(QString::fromLatin1(placeholder));
        EXPECT_FALSE(CommTermForm->ConfigChanged) << placeholder;
    }
    Send("");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    MainControl<QComboBox>("cboCommTerminal")->setEditText(QStringLiteral("Comm Port"));
    Send("LOST");
    EXPECT_FALSE(CommTermForm->PortBusy || CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(std::tuple(StatusPanel(1), Pane()->toPlainText()), std::tuple(QString("Commands Sent: 0"), QString()));
    ASSERT_FALSE(Ui.Messages.empty());
    EXPECT_EQ(Ui.Messages.back().Text, "A communications port must be selected before sending commands");
    // The rescan found the instrument again: choosing it sends normally.
    SelectPort();
    Send("FOUND");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"FOUND"});
}

// A new command follows the current entry; Up and Down walk the ring both
// ways round; a command the walk brought back is not stored again.
TEST_F(SendRoad, TheHistoryRingAppendsAfterTheCurrentEntryAndWrapsBothWays)
{
    CommTermForm->CommandArray.fill(QStringLiteral("Command"));
    CommTermForm->CommandIndex = 9;
    Send("NINE");
    EXPECT_EQ(std::tuple(CommTermForm->CommandIndex, CommTermForm->CommandArray[0]), std::tuple(0, QString("NINE")));
    Send("ONE");
    struct Step { Qt::Key Key; int Index; const char* Shown; };
    for (const Step& step : {Step{Qt::Key_Down, 0, "NINE"}, Step{Qt::Key_Down, 9, "Command"}, Step{Qt::Key_Left, 9, "Command"},
                             Step{Qt::Key_Up, 0, "NINE"}, Step{Qt::Key_Right, 0, "NINE"}, Step{Qt::Key_Up, 1, "ONE"}}) {
        QTest::keyClick(CommandBox(), step.Key);
        EXPECT_EQ(std::tuple(CommTermForm->CommandIndex, CommandBox()->text()), std::tuple(step.Index, QString(step.Shown)));
    }
    EXPECT_EQ(CommandBox()->selectedText(), "ONE");
    QTest::keyClick(CommandBox(), Qt::Key_Return);
    EXPECT_EQ(std::tuple(CommTermForm->CommandIndex, CommTermForm->CommandArray[2]), std::tuple(1, QString("Command")));
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"NINE", "ONE", "ONE"}));
}

TEST_F(SendRoad, EchoAndReplyAreStampedAsPlainTextInThePaneAndTheLogAndCounted)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("<b>READY</b>&amp;");
    Send("STATUS?");
    EXPECT_EQ(PaneLines(), (QStringList{"[t]  STATUS?", "[t]  <b>READY</b>&amp;"}));
    EXPECT_EQ(LogLines(), PaneLines());
    const QTextBlock echo = Pane()->document()->firstBlock();
    EXPECT_EQ(echo.charFormat().foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(echo.next().charFormat().foreground().color(), QColor(0, 128, 0));
    // The caret went to the end with the echo; the reply does not move it.
    EXPECT_EQ(Pane()->textCursor().position(), echo.position() + echo.length() - 1);
    // The line count is taken before the echo.
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
    Send("AGAIN");
    EXPECT_EQ(QStringList({StatusPanel(0), StatusPanel(1)}), QStringList({"Line Count: 2", "Commands Sent: 2"}));
    MainEntry("ResetCommandsSentCount1")->trigger();
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 0");
    Send("THREE");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
}

// Each option changes only the pane: the log keeps every echo, stamped.
TEST_F(SendRoad, DisplayOptionsShapeThePaneAndTickTheirEntries)
{
    const std::tuple<const char*, const char*, QStringList> options[] = {
        {"TimeStampDisable1", "TimeStampEnable1", {"CMD", "OK"}},
        {"OmitCommandSent1", "IncludeCommandSent1", {"[t]  OK"}},
    };
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("OK");
    for (const auto& [set, reset, paneWhileSet] : options) {
        SCOPED_TRACE(set);
        Pane()->clear();
        MainEntry(set)->trigger();
        EXPECT_TRUE(MainEntry(set)->isChecked() && !MainEntry(reset)->isChecked());
        Send("CMD");
        EXPECT_EQ(PaneLines(), paneWhileSet);
        MainEntry(reset)->trigger();
        EXPECT_TRUE(MainEntry(reset)->isChecked() && !MainEntry(set)->isChecked());
        Send("CMD");
        EXPECT_EQ(PaneLines(), (paneWhileSet + QStringList{"[t]  CMD", "[t]  OK"}));
    }
    EXPECT_EQ(LogLines().count(QStringLiteral("[t]  CMD")), 4);
    MainEntry("DisableLog1")->trigger();
    Send("QUIET");
    EXPECT_FALSE(LogLines().contains(QStringLiteral("[t]  QUIET")));
}

// The first code of the table's order found anywhere in the reply counts,
// whatever its position; "?8", "?9" and "?0" without "E" are no codes.
TEST_F(SendRoad, ErrorCodesCountByTheTableOrder)
{
    const std::map<QByteArray, QByteArray> replies{{"A", "?E3"}, {"B", "x?3 y?E5"}, {"C", "?8 ?9 ?0"}, {"D", "?12"},
                                                   {"E", "?E0"}, {"F", "?7?E9"}, {"G", "OK"}, {"H", "?7"}};
    Instrument->SetRule([&replies](const QByteArray& command) { return FakeReply(replies.at(command) + "\r\n"); });
    for (const auto& [command, reply] : replies)
        Send(QString::fromLatin1(command));
    const std::map<std::size_t, QString> counted{{0, "E"}, {1, "D"}, {3, "A"}, {5, "B"}, {7, "H"}, {9, "F"}};
    for (std::size_t row = 0; row < 10; ++row) {
        const bool hit = counted.count(row) != 0;
        EXPECT_EQ(std::tuple(CommLogForm->CommErrorCount[row], CommLogForm->CommErrorCommand[row]),
                  std::tuple(hit ? 1 : 0, hit ? counted.at(row) : QStringLiteral("No Error"))) << row;
    }
}

// Notes whether the port was still held when the exception box came up: the
// box runs an event loop, where a panel's timer may send.
class PortStateAtExceptionBox : public TestServices
{
public:
    void ShowException(const QString& message) override
    {
        PortHeld.push_back(CommTermForm->PortBusy);
        TestServices::ShowException(message);
    }
    std::vector<bool> PortHeld;
};

// Before an echo or polled input would take the pane past its 20000 lines,
// the pane is saved under Logs/ and started afresh, with logging on again. A
// save that fails keeps the pane and is reported once the port is free.
TEST_F(SendRoad, AFullPaneIsSavedAndRestartedBeforeEchoOrPolledInput)
{
    struct Source { const char* Name; std::function<QStringList(const char*)> AddLine; const char* LineCountAfter; };
    const QString lineCountBefore = StatusPanel(0);
    const Source sources[] = {
        {"polled input", [this](const char* text) { PollWhenQueued(text); return QStringList{QString("[t]  ") + text}; },
         nullptr},
        {"echo", [this](const char* text) { Send(text); return QStringList{QString("[t]  ") + text, "[t]  OK"}; },
         "Line Count: 20003"},
    };
    CommTermForm->DelayTimer->stop();
    AnswerEveryCommand("OK");
    const QString logs = InstallPath() + QStringLiteral("/Logs");
    for (const Source& source : sources) {
        SCOPED_TRACE(source.Name);
        PortStateAtExceptionBox boxes;
        ScopedServices installed(boxes);
        MainEntry("EnableLog1")->trigger();
        Pane()->setPlainText(NumberedLines(19999));
        QStringList full = NumberedLines(19999).split('\n');
        full += source.AddLine("UNDER");
        EXPECT_EQ(PaneLines(), full);
        ASSERT_TRUE(QDir(logs).removeRecursively());
        full += source.AddLine("FAILS");
        ASSERT_EQ(boxes.Exceptions.size(), 1u);
        EXPECT_TRUE(boxes.Exceptions[0].startsWith("Cannot create file")) << boxes.Exceptions[0].toStdString();
        EXPECT_EQ(boxes.PortHeld, std::vector<bool>{false});
        EXPECT_TRUE(LoggingIs(false));
        EXPECT_EQ(PaneLines(), full);

        ASSERT_TRUE(QDir(InstallPath()).mkdir(QStringLiteral("Logs")));
        MainEntry("EnableLog1")->trigger();
        EXPECT_EQ(PaneLines(), source.AddLine("SAVES"));
        const QStringList files = LogsFolderFiles(InstallPath());
        ASSERT_EQ(files.size(), 1);
        EXPECT_TRUE(QRegularExpression(R"(^Comm Terminal Output\d{6}_\d{6}\.doc$)").match(files[0]).hasMatch()) << files[0].toStdString();
        const QByteArray saved = ReadWholeFile(logs + QLatin1Char('/') + files[0]);
        EXPECT_EQ(saved.count('\n'), saved.count("\r\n"));
        EXPECT_EQ(MaskStamps(QString::fromLatin1(saved).split(QStringLiteral("\r\n"))), full + QStringList{QString()});
        EXPECT_EQ(StatusPanel(0), source.LineCountAfter ? QString(source.LineCountAfter) : lineCountBefore);
        EXPECT_TRUE(LoggingIs(true));
        EXPECT_EQ(boxes.Exceptions.size(), 1u);
        EXPECT_FALSE(CommTermForm->PortBusy);
    }
}

// Menu entries are found by caption: the pop-up may hold more.
TEST_F(SendRoad, ThePopUpMenuClearsSavesAndPrintsThePane)
{
    auto* popup = MainControl<QMenu>("PopupMenuComTerm");
    const auto entry = [popup](const char* caption) {
        const QList<QAction*> actions = popup->actions();
        const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction* a) { return a->text() == caption; });
        return found == actions.end() ? nullptr : *found;
    };
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), Pane()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Pane()->viewport(), &rightClick);
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
    MainEntry("TimeStampDisable1")->trigger();
    AnswerEveryCommand("OK");
    Send("SAVE ME");
    const QStringList before = QDir(InstallPath()).entryList(QDir::Files);
    Ui.CancelFileDialog();
    ASSERT_NE(entry("&Save to File"), nullptr);
    entry("&Save to File")->trigger();
    EXPECT_EQ(QDir(InstallPath()).entryList(QDir::Files), before);
    const QString target = InstallPath() + QStringLiteral("/pane");
    Ui.AnswerFileDialog(target);
    entry("&Save to File")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 2u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[1].Request;
    EXPECT_EQ(std::tuple(request.Filter, request.DefaultExt, request.OverwritePrompt),
              std::tuple(QString("Text File (*.txt)|*.txt|All Files (*.*)|*.*"), QString(".doc"), true));
    EXPECT_EQ(ReadWholeFile(target + QStringLiteral(".doc")), "SAVE ME\r\nOK\r\n");
    ASSERT_NE(entry("&Print"), nullptr);
    entry("&Print")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(std::tuple(Ui.PrintJobs[0].Title, Ui.PrintJobs[0].Text), std::tuple(QString("Communications Terminal"), QString("SAVE ME\nOK")));
    ASSERT_NE(entry("Clear Communications Window"), nullptr);
    entry("Clear Communications Window")->trigger();
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    // The line count on the status bar changes only at the next send.
    Send("AGAIN");
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
}

} // namespace
