#include "TrafficFixture.h"

#include <QAction>
#include <QMenu>
#include <QTextBlock>

#include <functional>
#include <tuple>

namespace {

using SendRoad = TrafficFixture;

// What each typed text puts on the wire and keeps as the last response:
// placeholders send nothing and leave the configuration alone, empty text
// marks it, a command goes out with the terminator and its reply is kept up
// to its first carriage return. The reply read keeps the read time-out the
// driver was given (here the settings window's 2000 ms) through the reopen
// before every command, so a reply after the first-byte polls is still caught.
TEST_F(SendRoad, TypedTextGoesOutWithTheTerminatorAndTheReplyIsKeptUpToItsCarriageReturn)
{
    struct Case { const char* Typed; FakeReply Reply; QByteArray Terminator, Wire; const char* Kept; bool Marks; };
    const Case cases[] = {
        {"Empty", "OK", "\r\n", "", "before", false}, {"xCommandx", "OK", "\r\n", "", "before", false},
        {"Empty 2", "OK", "\r\n", "", "before", false}, {"", "OK", "\r\n", "", "before", true},
        {"*IDN?", "VAL 5\r\nMORE\r\n", "\r\n", "*IDN?\r\n", "VAL 5", true},
        {"Q2", "NO TERMINATOR", "\r\n", "Q2\r\n", "NO TERMINATOR", true},
        {"LATE?", FakeReply("LATE\r\n", 600), "\r\n", "LATE?\r\n", "LATE", true},
        // The instrument answers only commands ending in its own terminator.
        {";LC:ED?", "OK", "\r", ";LC:ED?\r", "", true},
    };
    MainEntry("EnableLog1")->trigger();
    WaitLongForReplies();
    int sent = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        Instrument->SetRule([&c](const QByteArray&) { return c.Reply; });
        Instrument->ClearReceived();
        std::tie(CommTermForm->TerminationBytes, CommTermForm->LastResponse, CommTermForm->ConfigChanged) = std::tuple(c.Terminator, "before", false);
        Send(c.Typed);
        sent += c.Wire.isEmpty() ? 0 : 1;
        ASSERT_TRUE(Instrument->WaitForBytes(static_cast<int>(c.Wire.size())));
        EXPECT_EQ(std::tuple(Instrument->Received(), CommTermForm->LastResponse, CommTermForm->ConfigChanged, StatusPanel(1)),
                  std::tuple(c.Wire, QString(c.Kept), c.Marks, QStringLiteral("Commands Sent: %1").arg(sent)));
    }
    // An unanswered command: an empty stamp in the log, no reply in the pane.
    EXPECT_EQ(LogLines().mid(LogLines().size() - 2), (QStringList{"[t]  ;LC:ED?", "[]  "}));
    EXPECT_EQ(std::tuple(PaneLines().constLast(), CommTermForm->LastCommand), std::tuple(QString("[t]  ;LC:ED?"), QString(";LC:ED?")));
    EXPECT_FALSE(CommTermForm->PortBusy);
}

TEST_F(SendRoad, APortBoxNamingNoPortSendsNothingAndRescans)
{
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
    Send("ONE");
    EXPECT_EQ(std::tuple(CommTermForm->CommandIndex, CommTermForm->CommandArray[0], CommTermForm->CommandArray[1]),
              std::tuple(1, QString("NINE"), QString("ONE")));
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

// Echo and reply are stamped plain text, black and green, in the pane and the
// log; the caret follows the echo only. Each display option changes only the
// pane: the log keeps every line, stamped. The line count shown is the pane's
// before the echo.
TEST_F(SendRoad, EchoAndReplyAreShownAndLoggedAsTheDisplayOptionsSay)
{
    const std::tuple<const char*, const char*, QStringList> options[] = {
        {"TimeStampDisable1", "TimeStampEnable1", {"CMD", "<b>OK</b>&amp;"}},
        {"OmitCommandSent1", "IncludeCommandSent1", {"[t]  <b>OK</b>&amp;"}},
    };
    const QStringList stamped{"[t]  CMD", "[t]  <b>OK</b>&amp;"};
    WaitLongForReplies();
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("<b>OK</b>&amp;");
    Send("CMD");
    EXPECT_EQ(PaneLines(), stamped);
    const QTextBlock echo = Pane()->document()->firstBlock();
    EXPECT_EQ(std::tuple(echo.charFormat().foreground().color(), echo.next().charFormat().foreground().color()),
              std::tuple(QColor(0, 0, 0), QColor(0, 128, 0)));
    EXPECT_EQ(Pane()->textCursor().position(), echo.position() + echo.length() - 1);
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
        EXPECT_EQ(PaneLines(), paneWhileSet + stamped);
    }
    EXPECT_EQ(LogLines(), stamped + stamped + stamped + stamped + stamped);
    EXPECT_EQ(QStringList({StatusPanel(0), StatusPanel(1)}), QStringList({"Line Count: 1", "Commands Sent: 5"}));
    MainEntry("ResetCommandsSentCount1")->trigger();
    MainEntry("DisableLog1")->trigger();
    Send("QUIET");
    EXPECT_EQ(std::tuple(LogLines().size(), StatusPanel(1)), std::tuple(10, QString("Commands Sent: 1")));
}

// Each code counts in its own row against the command that drew it; the
// first code of the table's order found anywhere in the reply counts,
// whatever its position; "?8", "?9" and "?0" without "E" are no codes.
TEST_F(SendRoad, ErrorCodesCountInTheirRowsByTheTableOrder)
{
    const std::pair<const char*, int> cases[] = {
        {"?E0", 0}, {"?E1", 1}, {"?E2", 2}, {"?E3", 3}, {"?E4", 4}, {"?E5", 5}, {"?E6", 6}, {"?E7", 7}, {"?E8", 8}, {"?E9", 9},
        {"?1", 1}, {"?2", 2}, {"?3", 3}, {"?4", 4}, {"?5", 5}, {"?6", 6}, {"?7", 7},
        {"x?3 y?E5", 5}, {"?7?E9", 9}, {"?12", 1}, {"?8 ?9 ?0", -1}, {"OK", -1},
    };
    WaitLongForReplies();
    for (const auto& [reply, counted] : cases) {
        CommTermForm->ResetCommErrorArray();
        AnswerEveryCommand(QByteArray(reply) + "\r\n");
        Send(QStringLiteral("Q %1").arg(reply));
        for (int row = 0; row < 10; ++row)
            EXPECT_EQ(std::tuple(CommLogForm->CommErrorCount[std::size_t(row)], CommLogForm->CommErrorCommand[std::size_t(row)]),
                      std::tuple(row == counted ? 1 : 0, row == counted ? QStringLiteral("Q %1").arg(reply) : "No Error")) << reply << " " << row;
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
        {"echo", [this](const char* text) { Send(text); return QString(text) == "UNDER" ? QStringList{QString("[t]  ") + text}
                                                                                       : QStringList{QString("[t]  ") + text, "[t]  OK"}; },
         "Line Count: 20002"},
    };
    // An unanswered command adds one line, so that the pane reaches its limit exactly.
    WaitLongForReplies();
    Instrument->SetRule([](const QByteArray& command) { return FakeReply(command == "UNDER" ? "" : "OK"); });
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
        EXPECT_EQ(std::tuple(boxes.PortHeld, LoggingIs(false), PaneLines()), std::tuple(std::vector<bool>{false}, true, full));
        ASSERT_TRUE(QDir(InstallPath()).mkdir(QStringLiteral("Logs")));
        MainEntry("EnableLog1")->trigger();
        EXPECT_EQ(PaneLines(), source.AddLine("SAVES"));
        const QStringList files = LogsFolderFiles(InstallPath());
        ASSERT_EQ(files.size(), 1);
        const QString saved = QString::fromLatin1(ReadWholeFile(logs + QLatin1Char('/') + files[0]));
        EXPECT_EQ(MaskStamps(saved.split(QStringLiteral("\r\n"))), full + QStringList{QString()});
        EXPECT_EQ(StatusPanel(0), source.LineCountAfter ? QString(source.LineCountAfter) : lineCountBefore);
        EXPECT_TRUE(LoggingIs(true) && boxes.Exceptions.size() == 1);
    }
}

TEST_F(SendRoad, ThePopUpMenuSavesAndPrintsThePane)
{
    for (const char* name : {"ClearOutgoingandIncommingWindow1", "SaveCommTerminal1", "PrintCommTerminal1"})
        EXPECT_TRUE(MainControl<QMenu>("PopupMenuComTerm")->actions().contains(MainEntry(name))) << name;
    WaitLongForReplies();
    MainEntry("TimeStampDisable1")->trigger();
    AnswerEveryCommand("OK");
    Send("SAVE ME");
    const QString target = InstallPath() + QStringLiteral("/pane");
    Ui.AnswerFileDialog(target);
    MainEntry("SaveCommTerminal1")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_EQ(std::tuple(request.Filter, request.DefaultExt, request.OverwritePrompt),
              std::tuple(QString("Text File (*.txt)|*.txt|All Files (*.*)|*.*"), QString(".doc"), true));
    EXPECT_EQ(ReadWholeFile(target + QStringLiteral(".doc")), "SAVE ME\r\nOK\r\n");
    MainEntry("PrintCommTerminal1")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(std::tuple(Ui.PrintJobs[0].Title, Ui.PrintJobs[0].Text), std::tuple(QString("Communications Terminal"), QString("SAVE ME\nOK")));
}

} // namespace
