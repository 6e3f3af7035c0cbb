#include "TrafficFixture.h"

#include "panels/OrvaneControl.h"
#include "panels/PanelSend.h"
#include "panels/TessalineControl.h"

#include <QComboBox>
#include <QMenu>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include <functional>

namespace {

using SendRoad = TrafficFixture;
using UnsolicitedInput = TrafficFixture;

QString Stamped(const QString& text) { return QStringLiteral("[t]  ") + text; }

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
        TCommTermForm& form = *CommTermForm;
        std::tie(form.TerminationBytes, form.LastResponse, form.ConfigChanged) =
            std::tuple(c.Terminator, "before", false);
        Send(c.Typed);
        sent += c.Wire.isEmpty() ? 0 : 1;
        ASSERT_TRUE(Instrument->WaitForBytes(static_cast<int>(c.Wire.size())));
        EXPECT_EQ(std::tuple(Instrument->Received(), form.LastResponse, form.ConfigChanged, StatusPanel(1)),
                  std::tuple(c.Wire, QString(c.Kept), c.Marks,
                             QStringLiteral("Commands Sent: %1").arg(sent)));
    }
    // An unanswered command: an empty stamp in the log, no reply in the pane.
    EXPECT_EQ(LogLines().mid(LogLines().size() - 2), (QStringList{"[t]  ;LC:ED?", "[]  "}));
    EXPECT_EQ(std::tuple(PaneLines().constLast(), CommTermForm->LastCommand, CommTermForm->PortBusy.load()),
              std::tuple(QString("[t]  ;LC:ED?"), QString(";LC:ED?"), false));
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
    TCommTermForm& form = *CommTermForm;
    form.CommandArray.fill(QStringLiteral("Command"));
    form.CommandIndex = 9;
    Send("NINE");
    Send("ONE");
    EXPECT_EQ(std::tuple(form.CommandIndex, form.CommandArray[0], form.CommandArray[1]),
              std::tuple(1, QString("NINE"), QString("ONE")));
    const std::tuple<Qt::Key, int, const char*> steps[] = {
        {Qt::Key_Down, 0, "NINE"}, {Qt::Key_Down, 9, "Command"}, {Qt::Key_Left, 9, "Command"},
        {Qt::Key_Up, 0, "NINE"},   {Qt::Key_Right, 0, "NINE"},   {Qt::Key_Up, 1, "ONE"}};
    for (const auto& [key, index, shown] : steps) {
        QTest::keyClick(CommandBox(), key);
        EXPECT_EQ(std::tuple(form.CommandIndex, CommandBox()->text()), std::tuple(index, QString(shown)));
    }
    EXPECT_EQ(CommandBox()->selectedText(), "ONE");
    QTest::keyClick(CommandBox(), Qt::Key_Return);
    EXPECT_EQ(std::tuple(form.CommandIndex, form.CommandArray[2]), std::tuple(1, QString("Command")));
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"NINE", "ONE", "ONE"}));
}

// Every send leaves the command box with the focus and its whole text
// selected, so that the command typed next replaces the one before instead of
// being appended to it, whichever way the command before was sent.
TEST_F(SendRoad, TheNextTypedCommandReplacesTheOneBefore)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"typed", [this] { QTest::keyClicks(CommandBox(), ";LC:FL 1\r"); }},
        {"common string", [this] { QTest::keyClick(MainControl("edString1"), Qt::Key_Return); }},
        {"F1", [this] { MainEntry("CommonCommandString11")->trigger(); }},
    };
    WaitLongForReplies();
    AnswerEveryCommand("OK\r\n");
    MainControl<QLineEdit>("edString1")->setText(QStringLiteral(";LC:FL 1"));
    for (const auto& [way, sendFirst] : ways) {
        SCOPED_TRACE(way);
        Instrument->ClearReceived();
        CommandBox()->clear();
        FocusControl(*CommandBox());
        sendFirst();
        EXPECT_EQ(std::tuple(QApplication::focusWidget(), CommandBox()->selectedText()),
                  std::tuple(static_cast<QWidget*>(CommandBox()), QString(";LC:FL 1")));
        QTest::keyClicks(CommandBox(), ";LC:ED?\r");
        ASSERT_TRUE(Instrument->WaitForCommands(2));
        EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{";LC:FL 1", ";LC:ED?"}));
    }
}

// A key as the keyboard gives it: the key, the character it types, the
// modifiers held.
struct Stroke
{
    Qt::Key Key;
    QString Text;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
};
using Strokes = std::vector<Stroke>;

Strokes Typed(const QString& text)
{
    Strokes strokes;
    for (const QChar character : text)
        strokes.push_back({static_cast<Qt::Key>(character.toUpper().unicode()), character});
    return strokes;
}

Strokes Alt(char letter)
{
    Strokes chord = Typed(QString(QLatin1Char(letter)));
    chord[0].Modifiers = Qt::AltModifier;
    return chord;
}

Strokes Keys(std::initializer_list<Strokes> parts)
{
    Strokes all;
    for (const Strokes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Strokes Enter{{Qt::Key_Return, "\r"}}, Escape{{Qt::Key_Escape, "\x1b"}};

// An Alt chord is a menu mnemonic, never text: one that names no mnemonic
// types nothing into an edit box, an editable combo box or the command-file
// pane, chooses nothing in a drop-down list (the shutter's "Open" for Alt+O),
// and what was typed around it reaches the instrument unchanged. A mnemonic that exists opens
// its menu; Alt with a key that types nothing keeps its meaning (Alt+Down
// walks the command history); Ctrl+Alt and AltGr (which X11 reports as the
// group switch, not as Alt) still type their characters.
TEST_F(SendRoad, AnAltChordTypesNothingIntoAnEditBox)
{
    using Commands = QList<QByteArray>;
    using Box = std::function<QWidget*()>;
    const Box command = [this] { return CommandBox(); };
    const Box port = [this] { return MainControl("cboCommTerminal"); };
    const Box theta = [] { return Child(*TessalineControlForm, "edTheta"); };
    const auto fire = [] { QTest::mouseClick(Child<QToolButton>(*OrvaneControlForm, "sbFire"), Qt::LeftButton); };
    const Box file = [this] { return MainControl("reInputFile"); };
    const Box shutter = [] { return Child(*OrvaneControlForm, "cboShutter"); };
    const auto closeShutter = [] { Child<QComboBox>(*OrvaneControlForm, "cboShutter")->setCurrentIndex(0); };
    const auto showFile = [this] {
        MainEntry("ViewCommandFileWindow1")->trigger();
        MainControl<QTextEdit>("reInputFile")->setPlainText(QStringLiteral("AB"));
    };
    const struct {
        const char* What;
        std::function<void()> Before;
        std::vector<std::pair<Box, Strokes>> Typing;
        Commands Wire;
        int MenusShown;
    } cases[] = {
        {"command box", {},
         {{command, Keys({Typed("TE"), Alt('k'), Typed("MP"), Alt('v'), Escape, Typed("?"), Enter})}}, {"TEMP?"}, 0},
        {"command box after the Orvane panel's FIRE", fire, {{command, Keys({{{Qt::Key_End, ""}}, Alt('v'), Enter})}},
         {"!GATE ACTIV=1", "!SHUTTER=1", "!SHUTTER=1"}, 0},
        {"Tessaline theta box", {}, {{theta, Keys({Typed("1"), Alt('f'), Typed("2"), Enter})}},
         {";LC:ST 12"}, 0},
        {"port box", {}, {{port, Keys({Typed("COM"), Alt('k'), Typed("3")})}, {command, Keys({Typed("X"), Enter})}},
         {"X"}, 0},
        {"File's mnemonic", {},
         {{command, Keys({Typed("AB"), Alt('f'), Escape, Escape, Typed("C"), Enter})}}, {"ABC"}, 1},
        {"Alt+Down", {},
         {{command, Keys({Typed("ONE"), Enter, Typed("TWO"), Enter, {{Qt::Key_Down, "", Qt::AltModifier}}, Enter})}},
         {"ONE", "TWO", "ONE"}, 0},
        {"AltGr", {},
         {{command, Keys({Typed("A"), {{Qt::Key_Q, "@", Qt::ControlModifier | Qt::AltModifier}},
                          {{Qt::Key_At, "@", Qt::GroupSwitchModifier}}, {{Qt::Key_Bar, "|", Qt::GroupSwitchModifier}},
                          Typed(":WAIT"), Enter})}},
         {"A@@|:WAIT"}, 0},
        {"Orvane shutter box, closed", closeShutter, {{shutter, Keys({Alt('o')})}}, {}, 0},
        {"command-file pane, run with Ctrl+S", showFile,
         {{file, Keys({{{Qt::Key_End, ""}}, Typed("C"), Alt('k'), Alt('v'), Escape, Typed("D"),
                       {{Qt::Key_S, "\x13", Qt::ControlModifier}}})}},
         {"ABCD"}, 0},
    };
    WaitLongForReplies();
    AnswerEveryCommand("OK\r\n");
    MainEntry("OrvaneSystem1")->trigger();
    MainEntry("GRNIRControl1")->trigger();
    int menusShown = 0;
    QObject::connect(MainControl<QMenu>("File1"), &QMenu::aboutToShow, CommTermForm, [&menusShown] { ++menusShown; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        // A row that failed to name the port leaves none chosen.
        SelectPort();
        // Whatever the panels sent before has arrived once a mark sent after it has.
        panels::Send(QStringLiteral("#mark"));
        ASSERT_TRUE(QTest::qWaitFor([this] {
            const Commands heard = Instrument->Commands();
            return !heard.isEmpty() && heard.constLast() == "#mark";
        }));
        Instrument->ClearReceived();
        Ui.Exceptions.clear();
        if (c.Before)
            c.Before();
        menusShown = 0;
        for (const auto& [box, strokes] : c.Typing) {
            FocusControl(*box());
            // A key goes where the keyboard sends it: to an open menu first.
            for (const Stroke& stroke : strokes) {
                QWidget* popup = QApplication::activePopupWidget();
                QTest::sendKeyEvent(QTest::Click, popup ? popup : QApplication::focusWidget(), stroke.Key, stroke.Text,
                                    stroke.Modifiers);
            }
        }
        // A row that fails shows what came instead. A run's sends need the
        // event loop, which hands them to the window thread.
        (void)QTest::qWaitFor([&] { return Instrument->Commands().size() >= c.Wire.size(); });
        EXPECT_EQ(std::tuple(Instrument->Commands(), menusShown, Heads(Ui.Exceptions),
                             QApplication::activePopupWidget()),
                  std::tuple(c.Wire, c.MenusShown, QStringList(), nullptr));
    }
}

// Echo and reply are stamped plain text, black and green, in the pane and the
// log; the caret follows the echo only. Each display option changes only the
// pane: the log keeps every line, stamped. The line count shown is the pane's
// before the echo. The pop-up menu saves and prints the pane as it shows.
TEST_F(SendRoad, EchoAndReplyAreShownLoggedSavedAndPrintedAsTheDisplayOptionsSay)
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
    MainEntry("TimeStampDisable1")->trigger();
    Pane()->clear();
    Send("QUIET");
    EXPECT_EQ(std::tuple(LogLines().size(), StatusPanel(1)), std::tuple(10, QString("Commands Sent: 1")));

    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/pane"));
    MainEntry("SaveCommTerminal1")->trigger();
    ASSERT_EQ(Ui.FileDialogs.size(), 1u);
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_EQ(std::tuple(request.Filter, request.DefaultExt, request.OverwritePrompt),
              std::tuple(QString("Text File (*.txt)|*.txt|All Files (*.*)|*.*"), QString(".doc"), true));
    EXPECT_EQ(ReadWholeFile(InstallPath() + QStringLiteral("/pane.doc")), "QUIET\r\n<b>OK</b>&amp;\r\n");
    MainEntry("PrintCommTerminal1")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(std::tuple(Ui.PrintJobs[0].Title, Ui.PrintJobs[0].Text),
              std::tuple(QString("Communications Terminal"), QString("QUIET\n<b>OK</b>&amp;")));
}

// The program's 8-bit text is code page 1252 on the wire, in the pane, in the
// last response and in a saved pane alike, whatever byte comes.
TEST_F(SendRoad, TextMeetsTheWireAndFilesThroughTheCodePage)
{
    WaitLongForReplies();
    MainEntry("TimeStampDisable1")->trigger();
    const QByteArray reply("\x93OK\x94 \x80" "5 \x81\x9d\xff");
    AnswerEveryCommand(reply);
    // Pasted: the test keyboard types ASCII only.
    CommandBox()->setText(QStringLiteral("\u201CQ\u2019\u201D \u03A9"));
    QTest::keyClick(CommandBox(), Qt::Key_Return);
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Commands().constFirst(), QByteArray("\x93Q\x92\x94 ?"));
    const QString shown = QStringLiteral("\u201COK\u201D \u20AC") + QStringLiteral("5 \u0081\u009D\u00FF");
    EXPECT_EQ(std::tuple(PaneLines().constLast(), CommTermForm->LastResponse), std::tuple(shown, shown));

    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/pane.doc"));
    MainEntry("SaveCommTerminal1")->trigger();
    EXPECT_EQ(ReadWholeFile(InstallPath() + QStringLiteral("/pane.doc")),
              QByteArray("\x93Q\x92\x94 ?\r\n") + reply + "\r\n");
}

// Each code counts in its own row against the command that drew it; the
// first code of the table's order found anywhere in the reply counts,
// whatever its position; "?8", "?9" and "?0" without "E" are no codes.
TEST_F(SendRoad, ErrorCodesCountInTheirRowsByTheTableOrder)
{
    const std::pair<const char*, int> cases[] = {
        {"?E0", 0}, {"?E1", 1}, {"?E2", 2}, {"?E3", 3}, {"?E4", 4}, {"?E5", 5}, {"?E6", 6}, {"?E7", 7},
        {"?E8", 8}, {"?E9", 9}, {"?1", 1}, {"?2", 2}, {"?3", 3}, {"?4", 4}, {"?5", 5}, {"?6", 6}, {"?7", 7},
        {"x?3 y?E5", 5}, {"?7?E9", 9}, {"?12", 1}, {"?8 ?9 ?0", -1}, {"OK", -1},
    };
    WaitLongForReplies();
    for (const auto& [reply, counted] : cases) {
        CommTermForm->ResetCommErrorArray();
        AnswerEveryCommand(QByteArray(reply) + "\r\n");
        const QString command = QStringLiteral("Q %1").arg(reply);
        Send(command);
        std::array<int, 10> counts{};
        std::array<QString, 10> commands;
        commands.fill("No Error");
        if (counted >= 0)
            std::tie(counts[std::size_t(counted)], commands[std::size_t(counted)]) = std::tuple(1, command);
        EXPECT_EQ(std::tuple(CommLogForm->CommErrorCount, CommLogForm->CommErrorCommand), std::tuple(counts, commands))
            << reply;
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
    const auto poll = [this](const char* text) {
        PollWhenQueued(text);
        return QStringList{Stamped(text)};
    };
    // An unanswered command adds one line, so that the pane reaches its limit exactly.
    const auto echo = [this](const char* text) {
        Send(text);
        return QString(text) == "UNDER" ? QStringList{Stamped(text)} : QStringList{Stamped(text), "[t]  OK"};
    };
    const QString lineCountBefore = StatusPanel(0);
    const std::tuple<const char*, std::function<QStringList(const char*)>, QString> sources[] = {
        {"polled input", poll, lineCountBefore}, {"echo", echo, "Line Count: 20002"}};
    WaitLongForReplies();
    Instrument->SetRule([](const QByteArray& command) { return FakeReply(command == "UNDER" ? "" : "OK"); });
    const QString logs = InstallPath() + QStringLiteral("/Logs");
    for (const auto& [name, addLine, lineCountAfter] : sources) {
        SCOPED_TRACE(name);
        PortStateAtExceptionBox boxes;
        ScopedServices installed(boxes);
        MainEntry("EnableLog1")->trigger();
        Pane()->setPlainText(NumberedLines(19999));
        QStringList full = NumberedLines(19999).split('\n') + addLine("UNDER");
        EXPECT_EQ(PaneLines(), full);
        ASSERT_TRUE(QDir(logs).removeRecursively());
        full += addLine("FAILS");
        EXPECT_EQ(std::tuple(boxes.PortHeld, LoggingIs(false), PaneLines()),
                  std::tuple(std::vector<bool>{false}, true, full));
        ASSERT_TRUE(QDir(InstallPath()).mkdir(QStringLiteral("Logs")));
        MainEntry("EnableLog1")->trigger();
        EXPECT_EQ(PaneLines(), addLine("SAVES"));
        const QStringList files = LogsFolderFiles(InstallPath());
        ASSERT_EQ(files.size(), 1);
        const QString saved = QString::fromLatin1(ReadWholeFile(logs + QLatin1Char('/') + files[0]));
        EXPECT_EQ(MaskStamps(saved.split(QStringLiteral("\r\n"))), full + QStringList{QString()});
        EXPECT_EQ(std::tuple(StatusPanel(0), LoggingIs(true), boxes.Exceptions.size()),
                  std::tuple(lineCountAfter, true, 1u));
    }
}

TEST_F(UnsolicitedInput, TextBetweenCommandsIsShownLoggedAndCountedButNotKept)
{
    MainEntry("EnableLog1")->trigger();
    Send("Q1");
    const QStringList paneBefore = PaneLines();
    const QString statusBefore = StatusPanel(0);
    CommandBox()->setText(QStringLiteral("TYPING"));
    PollWhenQueued("ALARM ?E2");
    EXPECT_EQ(std::tuple(PaneLines(), LogLines().constLast()),
              std::tuple(paneBefore + QStringList{"[t]  ALARM ?E2"}, QString("[t]  ALARM ?E2")));
    EXPECT_EQ(Pane()->document()->lastBlock().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(std::tuple(CommLogForm->CommErrorCount[2], CommLogForm->CommErrorCommand[2]),
              std::tuple(1, QString("TYPING")));
    const TCommTermForm& form = *CommTermForm;
    EXPECT_EQ(std::tuple(form.LastResponse, form.LastCommand, form.CommandsSent, StatusPanel(0), StatusPanel(1),
                         form.PortBusy.load()),
              std::tuple(QString(), QString("Q1"), 1, statusBefore, QString("Commands Sent: 1"), false));
}

// A tick reads nothing while a send holds the port or the port is closed.
// Otherwise it takes at most 900 bytes and leaves the rest for the next;
// input ends at its first zero byte, and the rest of it is taken and dropped.
TEST_F(UnsolicitedInput, ATickReadsAFreeOpenPortUpToTheBound)
{
    MainEntry("TimeStampDisable1")->trigger();
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst += QByteArray::number(1000000000 + i);
    CommTermForm->PortBusy = true;
    PollWhenQueued(burst);
    EXPECT_TRUE(CommTermForm->PortBusy) << "the poll released a hold it did not take";
    EXPECT_EQ(std::tuple(Pane()->toPlainText(), Instrument->Queued()), std::tuple(QString(), 1000));
    CommTermForm->PortBusy = false;
    CommTermForm->DelayTimerTimer();
    EXPECT_EQ(std::tuple(PaneLines(), Instrument->Queued()), std::tuple(QStringList{burst.left(900)}, 100));
    PollWhenQueued(QByteArray("AB\0CD", 5));
    EXPECT_EQ(std::tuple(PaneLines(), Instrument->Queued()),
              std::tuple(QStringList{burst.left(900), burst.mid(900) + "AB"}, 0));
    CommTermForm->CommPort->CloseCommPort();
    PollWhenQueued("UNREAD");
    EXPECT_EQ(std::tuple(PaneLines().size(), CommTermForm->PortBusy.load()), std::tuple(2, false));
}

// An instrument that streams at 9600 baud (48 bytes every 50 ms) into a
// driver buffer of 1 KB, for several ticks of the timer the port selection
// started: every byte reaches the pane, in order.
TEST_F(UnsolicitedInput, AStreamAt9600BaudLosesNothing)
{
    QByteArray stream;
    for (int i = 0; stream.size() < 4800; ++i)
        stream += QByteArray::number(100000 + i) + ' ';
    Instrument->SetRule([stream](const QByteArray&) { return FakeReply(stream, 0, 48, 50); });
    Instrument->SetQueueLimit(1024);
    MainEntry("TimeStampDisable1")->trigger();
    MainEntry("OmitCommandSent1")->trigger();
    ASSERT_TRUE(CommTermForm->DelayTimer->isActive());
    Send("STREAM");
    const auto shown = [this] { return PaneLines().join("").toLatin1(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return Instrument->DroppedBytes() > 0 || shown().size() >= stream.size(); },
                                30000));
    EXPECT_EQ(std::tuple(Instrument->DroppedBytes(), shown()), std::tuple(0, stream));
}

} // namespace
