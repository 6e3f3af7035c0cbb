#include "TrafficFixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>

#include <map>
#include <tuple>

namespace {

using SendRoad = TrafficFixture;

// ---- The wire ----

TEST_F(SendRoad, WritesTheCommandWithItsTerminatorAndKeepsTheReplyUpToItsFirstCarriageReturn)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("VAL 5\r\nMORE\r\n");
    Send("*IDN?");
    EXPECT_EQ(CommTermForm->LastResponse, "VAL 5");
    AnswerEveryCommand("NO TERMINATOR");
    Send("Q2");
    EXPECT_EQ(CommTermForm->LastResponse, "NO TERMINATOR");
    EXPECT_EQ(CommTermForm->LastCommand, "Q2");

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

TEST_F(SendRoad, PlaceholdersAndEmptyTextSendNothingAndOnlyEmptyTextMarksTheConfiguration)
{
    CommTermForm->ConfigChanged = false;
    for (const char* placeholder : {"Empty", "Command", "xCommandx", "Empty 2"}) {
        Send(QString::fromLatin1(placeholder));
        EXPECT_FALSE(CommTermForm->ConfigChanged) << placeholder;
    }
    Send("");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 0");

    Send("REAL");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"REAL"});
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
}

TEST_F(SendRoad, APortBoxNamingNoPortSendsNothingAndRescans)
{
    MainControl<QComboBox>("cboCommTerminal")->setEditText(QStringLiteral("Comm Port"));
    Send("LOST");
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 0");
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    ASSERT_FALSE(Ui.Messages.empty());
    EXPECT_EQ(Ui.Messages.back().Text, "A communications port must be selected before sending commands");
    // The rescan found the instrument again: choosing it sends normally.
    SelectPort();
    Send("FOUND");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"FOUND"});
}

// ---- History ring ----

TEST_F(SendRoad, NewCommandsFollowTheCurrentEntryAndDownWalksBack)
{
    CommTermForm->CommandArray.fill(QStringLiteral("Command"));
    CommTermForm->CommandIndex = 0;
    Send("FIRST");
    Send("SECOND");
    EXPECT_EQ(CommTermForm->CommandArray[1], "FIRST");
    EXPECT_EQ(CommTermForm->CommandArray[2], "SECOND");

    QTest::keyClick(CommandBox(), Qt::Key_Down);
    EXPECT_EQ(CommTermForm->CommandIndex, 1);
    EXPECT_EQ(CommandBox()->selectedText(), "FIRST");

    // Sending the entry that Down brought back does not store it again.
    QTest::keyClick(CommandBox(), Qt::Key_Return);
    EXPECT_EQ(CommTermForm->CommandIndex, 1);
    EXPECT_EQ(CommTermForm->CommandArray[3], "Command");
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND", "FIRST"}));
}

TEST_F(SendRoad, TheRingWrapsBothWaysAndSideArrowsLeaveItAlone)
{
    CommTermForm->CommandArray[0] = QStringLiteral("ZERO");
    CommTermForm->CommandArray[9] = QStringLiteral("NINE");
    CommTermForm->CommandIndex = 9;
    QTest::keyClick(CommandBox(), Qt::Key_Up);
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(CommandBox()->selectedText(), "ZERO");
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Left, Qt::Key_Right})
        QTest::keyClick(CommandBox(), key);
    EXPECT_EQ(CommTermForm->CommandIndex, 9);
    EXPECT_EQ(CommandBox()->text(), "NINE");

    // Appending from the last entry stores at the first.
    Send("WRAPPED");
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(CommTermForm->CommandArray[0], "WRAPPED");
}

// ---- Pane, log and display options ----

TEST_F(SendRoad, EchoAndReplyAreStampedAsPlainTextInThePaneAndTheLogAndCounted)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("<b>READY</b>&amp;");
    Send("STATUS?");

    EXPECT_EQ(PaneLines(), (QStringList{"[t]  STATUS?", "[t]  <b>READY</b>&amp;"}));
    const QTextBlock echo = Pane()->document()->firstBlock();
    EXPECT_EQ(echo.charFormat().foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(echo.next().charFormat().foreground().color(), QColor(0, 128, 0));
    // The caret went to the end with the echo; the reply does not move it.
    EXPECT_EQ(Pane()->textCursor().position(), echo.position() + echo.length() - 1);

    EXPECT_EQ(LogLines(), (QStringList{"[t]  STATUS?", "[t]  <b>READY</b>&amp;"}));

    // The line count is taken before the echo.
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
    Send("AGAIN");
    EXPECT_EQ(StatusPanel(0), "Line Count: 2");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 2");
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

// ---- Replies ----

TEST_F(SendRoad, ErrorCodesCountByTheTableOrder)
{
    Instrument->SetRule([](const QByteArray& command) -> FakeReply {
        if (command == "A") return "?E3\r\n";
        if (command == "B") return "x?3 y?E5\r\n";
        if (command == "C") return "?8 ?9\r\n";
        if (command == "D") return "?12\r\n";
        return "OK\r\n";
    });
    for (const char* command : {"A", "B", "C", "D", "E"})
        Send(QString::fromLatin1(command));

    const std::map<std::size_t, QString> failed{{3, "A"}, {5, "B"}, {1, "D"}};
    for (std::size_t row = 0; row < 10; ++row) {
        SCOPED_TRACE(row);
        const bool counted = failed.count(row) != 0;
        EXPECT_EQ(CommLogForm->CommErrorCount[row], counted ? 1 : 0);
        EXPECT_EQ(CommLogForm->CommErrorCommand[row], (counted ? failed.at(row) : QStringLiteral("No Error")));
    }
}

TEST_F(SendRoad, AReplyThatNeverPausesEndsAtTheBufferSize)
{
    Instrument->SetRule([](const QByteArray&) {
        FakeReply reply(QByteArray(16384, 'x'));
        reply.PieceSize = 64;
        reply.PauseMs = 1;
        return reply;
    });
    Send("STREAM");
    EXPECT_EQ(CommTermForm->LastResponse.size(), 4096);
    EXPECT_FALSE(CommTermForm->PortBusy);
    // The rest of the stream is discarded by the next send's purge.
    AnswerEveryCommand("OK\r\n");
    Send("AFTER");
    ASSERT_TRUE(Instrument->WaitForCommands(2));
}

// ---- The pane's line limit ----

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

TEST_F(SendRoad, AFullPaneIsSavedAndRestartedAndAFailedSaveKeepsItAndLetsTheSendGoOut)
{
    PortStateAtExceptionBox boxes;
    ScopedServices installed(boxes);
    const QString logs = InstallPath() + QStringLiteral("/Logs");
    ASSERT_TRUE(QDir(logs).removeRecursively());
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("OK");
    Pane()->setPlainText(NumberedLines(19999));
    Send("LAST");
    EXPECT_EQ(PaneLines().size(), 20001);
    EXPECT_TRUE(boxes.Exceptions.empty());

    Send("FIRST");
    ASSERT_EQ(boxes.Exceptions.size(), 1u);
    EXPECT_TRUE(boxes.Exceptions[0].startsWith(QStringLiteral("Cannot create file"))) << boxes.Exceptions[0].toStdString();
    EXPECT_EQ(boxes.PortHeld, std::vector<bool>{false});
    EXPECT_TRUE(LoggingIs(false));
    const QStringList full = NumberedLines(19999).split(QLatin1Char('\n'))
                             + QStringList{"[t]  LAST", "[t]  OK", "[t]  FIRST", "[t]  OK"};
    EXPECT_EQ(PaneLines(), full);

    // With the folder back, the next send saves the pane and starts it afresh.
    ASSERT_TRUE(QDir(InstallPath()).mkdir(QStringLiteral("Logs")));
    MainEntry("EnableLog1")->trigger();
    Send("SECOND");
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"LAST", "FIRST", "SECOND"}));
    const QStringList files = LogsFolderFiles(InstallPath());
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Comm Terminal Output\d{6}_\d{6}\.doc$)"))
                    .match(files[0]).hasMatch()) << files[0].toStdString();
    const QByteArray saved = ReadWholeFile(logs + QLatin1Char('/') + files[0]);
    EXPECT_EQ(saved.count('\n'), saved.count("\r\n"));
    EXPECT_EQ(MaskStamps(QString::fromLatin1(saved).split(QStringLiteral("\r\n"))), full + QStringList{QString()});
    EXPECT_EQ(PaneLines(), (QStringList{"[t]  SECOND", "[t]  OK"}));
    EXPECT_EQ(StatusPanel(0), "Line Count: 20003");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 3");
    EXPECT_TRUE(LoggingIs(true));
    EXPECT_EQ(boxes.Exceptions.size(), 1u);
    EXPECT_FALSE(CommTermForm->PortBusy);
}

// ---- Menu entries of the pane ----

TEST_F(SendRoad, ThePopUpMenuClearsSavesAndPrintsThePane)
{
    auto* popup = MainControl<QMenu>("PopupMenuComTerm");
    ASSERT_NE(popup, nullptr);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), Pane()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Pane()->viewport(), &rightClick);
    EXPECT_TRUE(popup->isVisible());
    popup->hide();

    MainEntry("TimeStampDisable1")->trigger();
    AnswerEveryCommand("OK");
    Send("SAVE ME");
    const QStringList before = QDir(InstallPath()).entryList(QDir::Files);
    Ui.CancelFileDialog();
    MainEntry("SaveCommTerminal1")->trigger();
    EXPECT_EQ(QDir(InstallPath()).entryList(QDir::Files), before);

    const QString target = InstallPath() + QStringLiteral("/pane");
    Ui.AnswerFileDialog(target);
    MainEntry("SaveCommTerminal1")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 2u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[1].Request;
    EXPECT_EQ(request.Filter, "Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(request.DefaultExt, ".doc");
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_EQ(ReadWholeFile(target + QStringLiteral(".doc")), "SAVE ME\r\nOK\r\n");

    MainEntry("PrintCommTerminal1")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(Ui.PrintJobs[0].Title, "Communications Terminal");
    EXPECT_EQ(Ui.PrintJobs[0].Text, "SAVE ME\nOK");

    MainEntry("ClearOutgoingandIncommingWindow1")->trigger();
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    // The line count on the status bar changes only at the next send.
    Send("AGAIN");
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
}

} // namespace
