#include "TrafficFixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTextBlock>

namespace {

using SendRoad = TrafficFixture;

const QRegularExpression StampedPattern(QStringLiteral(R"(^\[\d{1,2}:\d{1,2}:\d{1,2}:\d{1,3}\]  (.*)$)"));

// The text of a stamped line, or a null string when the line carries no stamp.
QString Unstamped(const QString& line)
{
    const QRegularExpressionMatch match = StampedPattern.match(line);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList LogFiles(const QString& installPath)
{
    return QDir(installPath + QStringLiteral("/Logs")).entryList(QDir::Files);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QString Lines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

// ---- The wire ----

TEST_F(SendRoad, WritesTheCommandWithTheDefaultTerminator)
{
    AnswerEveryCommand("OK\r\n");
    Send("*IDN?");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Received(), "*IDN?\r\n");
    EXPECT_EQ(CommTermForm->LastCommand, "*IDN?");
    EXPECT_FALSE(CommTermForm->PortBusy);
}

TEST_F(SendRoad, WritesTheCommandWithAOneByteTerminator)
{
    CommTermForm->TerminationBytes = QByteArray("\r");
    Send(";LC:FL 3");
    Send(";LC:ED?");
    ASSERT_TRUE(Instrument->WaitForBytes(17));
    EXPECT_EQ(Instrument->Received(), ";LC:FL 3\r;LC:ED?\r");
}

TEST_F(SendRoad, PlaceholdersSendNothingAndLeaveTheConfigurationAlone)
{
    CommTermForm->ConfigChanged = false;
    for (const char* placeholder : {"Empty", "Command", "xCommandx", "Empty 2"}) {
        Send(QString::fromLatin1(placeholder));
        EXPECT_FALSE(CommTermForm->ConfigChanged) << placeholder;
    }
    Send("REAL");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"REAL"});
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
}

TEST_F(SendRoad, EmptyTextMarksTheConfigurationButSendsNothing)
{
    CommTermForm->ConfigChanged = false;
    Send("");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 0");
    Send("NEXT");
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"NEXT"});
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

class SendRoadHistory : public SendRoad
{
protected:
    void SetUp() override
    {
        SendRoad::SetUp();
        CommTermForm->CommandArray.fill(QStringLiteral("Command"));
        CommTermForm->CommandIndex = 0;
    }
    void PressKey(Qt::Key key) { QTest::keyClick(CommandBox(), key); }
};

TEST_F(SendRoadHistory, NewCommandsFollowTheCurrentEntryAndDownWalksBack)
{
    Send("FIRST");
    Send("SECOND");
    EXPECT_EQ(CommTermForm->CommandArray[1], "FIRST");
    EXPECT_EQ(CommTermForm->CommandArray[2], "SECOND");
    EXPECT_EQ(CommTermForm->CommandIndex, 2);

    PressKey(Qt::Key_Down);
    EXPECT_EQ(CommTermForm->CommandIndex, 1);
    EXPECT_EQ(CommandBox()->text(), "FIRST");
    EXPECT_EQ(CommandBox()->selectedText(), "FIRST");

    // Sending the entry that Down brought back does not store it again.
    PressEnter();
    EXPECT_EQ(CommTermForm->CommandIndex, 1);
    EXPECT_EQ(CommTermForm->CommandArray[2], "SECOND");
    EXPECT_EQ(CommTermForm->CommandArray[3], "Command");
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND", "FIRST"}));
}

TEST_F(SendRoadHistory, TheRingWrapsBothWays)
{
    CommTermForm->CommandArray[0] = QStringLiteral("ZERO");
    CommTermForm->CommandArray[9] = QStringLiteral("NINE");
    CommTermForm->CommandIndex = 9;
    PressKey(Qt::Key_Up);
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(CommandBox()->selectedText(), "ZERO");
    PressKey(Qt::Key_Down);
    EXPECT_EQ(CommTermForm->CommandIndex, 9);
    EXPECT_EQ(CommandBox()->selectedText(), "NINE");

    // Appending from the last entry stores at the first.
    Send("WRAPPED");
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(CommTermForm->CommandArray[0], "WRAPPED");
}

TEST_F(SendRoadHistory, SideArrowsLeaveTheRingAlone)
{
    Type("ABC");
    PressKey(Qt::Key_Left);
    PressKey(Qt::Key_Right);
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(CommandBox()->text(), "ABC");
}

// ---- Pane, log and display options ----

TEST_F(SendRoad, EchoAndReplyCarryTheStampInThePaneAndTheLog)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("READY\r\n");
    Send("STATUS?");

    const QStringList pane = PaneLines();
    ASSERT_GE(pane.size(), 2);
    EXPECT_EQ(Unstamped(pane[0]), "STATUS?");
    EXPECT_EQ(Unstamped(pane[1]), "READY");
    const QTextDocument& document = *Pane()->document();
    EXPECT_EQ(document.firstBlock().charFormat().foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(document.firstBlock().next().charFormat().foreground().color(), QColor(0, 128, 0));
    // The caret went to the end with the echo; the reply does not move it.
    const QTextBlock echo = document.firstBlock();
    EXPECT_EQ(Pane()->textCursor().position(), echo.position() + echo.length() - 1)
        << "the caret follows the echo";

    const QString log = LogText();
    EXPECT_TRUE(log.contains(QRegularExpression(QStringLiteral(R"(\[[0-9:]+\]  STATUS\?)"))));
    EXPECT_TRUE(log.contains(QRegularExpression(QStringLiteral(R"(\[[0-9:]+\]  READY)"))));
}

TEST_F(SendRoad, WithoutTimeStampsThePaneShowsBareTextButTheLogStaysStamped)
{
    MainEntry("EnableLog1")->trigger();
    MainEntry("TimeStampDisable1")->trigger();
    EXPECT_TRUE(MainEntry("TimeStampDisable1")->isChecked());
    EXPECT_FALSE(MainEntry("TimeStampEnable1")->isChecked());
    AnswerEveryCommand("OK");
    Send("PING");
    EXPECT_EQ(PaneLines(), (QStringList{"PING", "OK"}));
    EXPECT_TRUE(LogText().contains(QRegularExpression(QStringLiteral(R"(\[[0-9:]+\]  PING)"))));

    MainEntry("TimeStampEnable1")->trigger();
    EXPECT_TRUE(MainEntry("TimeStampEnable1")->isChecked());
    EXPECT_FALSE(MainEntry("TimeStampDisable1")->isChecked());
    Send("PONG");
    EXPECT_EQ(Unstamped(PaneLines().at(2)), "PONG");
}

TEST_F(SendRoad, OmittingSentCommandsKeepsThemInTheLogOnly)
{
    MainEntry("EnableLog1")->trigger();
    MainEntry("OmitCommandSent1")->trigger();
    EXPECT_TRUE(MainEntry("OmitCommandSent1")->isChecked());
    EXPECT_FALSE(MainEntry("IncludeCommandSent1")->isChecked());
    AnswerEveryCommand("DONE");
    Send("HIDDEN");
    ASSERT_EQ(PaneLines().size(), 1);
    EXPECT_EQ(Unstamped(PaneLines()[0]), "DONE");
    EXPECT_TRUE(LogText().contains(QStringLiteral("]  HIDDEN")));

    MainEntry("IncludeCommandSent1")->trigger();
    EXPECT_FALSE(MainEntry("OmitCommandSent1")->isChecked());
    Send("SHOWN");
    EXPECT_EQ(Unstamped(PaneLines().at(1)), "SHOWN");
}

TEST_F(SendRoad, AnUnansweredCommandLogsAnEmptyStampAndShowsNoReply)
{
    MainEntry("EnableLog1")->trigger();
    CommTermForm->LastResponse = QStringLiteral("stale");
    Send("SILENT");
    ASSERT_EQ(PaneLines().size(), 1);
    EXPECT_EQ(Unstamped(PaneLines()[0]), "SILENT");
    EXPECT_TRUE(LogText().contains(QStringLiteral("[]  ")));
    EXPECT_TRUE(CommTermForm->LastResponse.isEmpty());
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
}

TEST_F(SendRoad, NothingGoesToTheLogWhileLoggingIsOff)
{
    MainEntry("DisableLog1")->trigger();
    AnswerEveryCommand("OK");
    Send("QUIET");
    EXPECT_TRUE(LogText().isEmpty());
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

    const auto& counts = CommLogForm->CommErrorCount;
    const auto& commands = CommLogForm->CommErrorCommand;
    EXPECT_EQ(counts[3], 1);
    EXPECT_EQ(commands[3], "A");
    EXPECT_EQ(counts[5], 1);
    EXPECT_EQ(commands[5], "B");
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(commands[1], "D");
    for (std::size_t row : {0u, 2u, 4u, 6u, 7u, 8u, 9u}) {
        EXPECT_EQ(counts[row], 0) << row;
        EXPECT_EQ(commands[row], "No Error") << row;
    }
}

TEST_F(SendRoad, LastResponseIsCutAtTheFirstCarriageReturn)
{
    AnswerEveryCommand("VAL 5\r\nMORE\r\n");
    Send("Q1");
    EXPECT_EQ(CommTermForm->LastResponse, "VAL 5");
    AnswerEveryCommand("NO TERMINATOR");
    Send("Q2");
    EXPECT_EQ(CommTermForm->LastResponse, "NO TERMINATOR");
}

TEST(StripTerminator, CutsBeforeTheFirstWholeTerminator)
{
    QString text = QStringLiteral("A\r\nB\r\n");
    TCommTermForm::StripTerminatorFromString(text, QStringLiteral("\r\n"));
    EXPECT_EQ(text, "A");
    text = QStringLiteral("A\rB");
    TCommTermForm::StripTerminatorFromString(text, QStringLiteral("\r\n"));
    EXPECT_EQ(text, "A\rB");
    TCommTermForm::StripTerminatorFromString(text, QString());
    EXPECT_EQ(text, "A\rB");
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

// ---- Status bar ----

TEST_F(SendRoad, StatusPanelsCountLinesBeforeTheEchoAndCommandsSent)
{
    AnswerEveryCommand("OK");
    Send("ONE");
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    Send("TWO");
    EXPECT_EQ(StatusPanel(0), "Line Count: 2");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 2");

    MainEntry("ResetCommandsSentCount1")->trigger();
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 0");
    EXPECT_EQ(CommTermForm->CommandsSent, 0);
    Send("THREE");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
}

// ---- The pane's line limit ----

TEST_F(SendRoad, AFullPaneIsSavedToTheLogsFolderAndRestarted)
{
    MainEntry("EnableLog1")->trigger();
    Pane()->setPlainText(Lines(20000));
    AnswerEveryCommand("OK");
    Send("AFTER FULL");

    const QStringList files = LogFiles(InstallPath());
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Comm Terminal Output\d{6}_\d{6}\.doc$)"))
                    .match(files[0]).hasMatch()) << files[0].toStdString();
    const QByteArray saved = ReadFile(InstallPath() + QStringLiteral("/Logs/") + files[0]);
    QString expected = Lines(20000) + QLatin1Char('\n');
    EXPECT_EQ(saved, expected.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toLatin1());

    ASSERT_EQ(PaneLines().size(), 2);
    EXPECT_EQ(Unstamped(PaneLines()[0]), "AFTER FULL");
    EXPECT_EQ(StatusPanel(0), "Line Count: 20000");
    EXPECT_TRUE(CommTermForm->LogEnabled);
    EXPECT_TRUE(MainEntry("EnableLog1")->isChecked());
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(SendRoad, APaneOneLineShortOfTheLimitTakesTheEcho)
{
    Pane()->setPlainText(Lines(19999));
    Send("LAST");
    EXPECT_TRUE(LogFiles(InstallPath()).isEmpty());
    EXPECT_EQ(PaneLines().size(), 20000);
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

TEST_F(SendRoad, AFailedPaneSaveIsShownAndLaterSendsStillWork)
{
    PortStateAtExceptionBox boxes;
    ScopedServices installed(boxes);
    ASSERT_TRUE(QDir(InstallPath() + QStringLiteral("/Logs")).removeRecursively());
    MainEntry("EnableLog1")->trigger();
    Pane()->setPlainText(Lines(20000));
    AnswerEveryCommand("OK");
    Send("FIRST");

    ASSERT_EQ(boxes.Exceptions.size(), 1u);
    EXPECT_TRUE(boxes.Exceptions[0].startsWith(QStringLiteral("Cannot create file"))) << boxes.Exceptions[0].toStdString();
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_FALSE(CommTermForm->LogEnabled);
    const QStringList pane = PaneLines();
    ASSERT_EQ(pane.size(), 20002);
    EXPECT_EQ(pane[0], "line 0");
    EXPECT_EQ(Unstamped(pane[20000]), "FIRST");
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");

    // The next send tries the save again and still goes out.
    Send("SECOND");
    ASSERT_TRUE(Instrument->WaitForCommands(2));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND"}));
    EXPECT_EQ(boxes.Exceptions.size(), 2u);
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 2");
    EXPECT_EQ(boxes.PortHeld, (std::vector<bool>{false, false}));
}

// ---- Menu entries of the pane ----

TEST_F(SendRoad, ThePopUpMenuClearsSavesAndPrintsThePane)
{
    auto* popup = MainControl<QMenu>("PopupMenuComTerm");
    ASSERT_NE(popup, nullptr);
    QStringList captions;
    for (QAction* entry : popup->actions())
        captions << entry->text();
    EXPECT_EQ(captions, (QStringList{"Clear Communications Window", "&Save to File", "&Print"}));
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), Pane()->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Pane()->viewport(), &rightClick);
    EXPECT_TRUE(popup->isVisible());
    popup->hide();

    MainEntry("TimeStampDisable1")->trigger();
    AnswerEveryCommand("OK");
    Send("SAVE ME");

    const QString target = InstallPath() + QStringLiteral("/pane");
    Ui.AnswerFileDialog(target);
    MainEntry("SaveCommTerminal1")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_TRUE(Ui.FileDialogs[0].Save);
    EXPECT_EQ(request.Filter, "Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(request.DefaultExt, ".doc");
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_TRUE(request.FileName.isEmpty());
    EXPECT_EQ(ReadFile(target + QStringLiteral(".doc")), "SAVE ME\r\nOK\r\n");

    MainEntry("PrintCommTerminal1")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(Ui.PrintJobs[0].Title, "Communications Terminal");
    EXPECT_EQ(Ui.PrintJobs[0].Text, "SAVE ME\nOK");

    popup->actions().at(0)->trigger();
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    // The line count on the status bar changes only at the next send.
    Send("AGAIN");
    EXPECT_EQ(StatusPanel(0), "Line Count: 0");
}

TEST_F(SendRoad, ACancelledSaveWritesNothing)
{
    Send("X");
    const QStringList before = QDir(InstallPath()).entryList(QDir::Files);
    Ui.CancelFileDialog();
    MainEntry("SaveCommTerminal1")->trigger();
    EXPECT_EQ(Ui.FileDialogs.size(), 1u);
    EXPECT_EQ(QDir(InstallPath()).entryList(QDir::Files), before);
}

TEST_F(SendRoad, RepliesAreShownAsTextNeverAsMarkup)
{
    AnswerEveryCommand("<b>bold</b>&amp;");
    MainEntry("TimeStampDisable1")->trigger();
    Send("HTML");
    EXPECT_EQ(PaneLines().at(1), "<b>bold</b>&amp;");
}

} // namespace
