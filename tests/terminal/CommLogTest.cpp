#include "TrafficFixture.h"

#include "platform/InstallFolder.h"
#include "support/FullFileSystem.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextLayout>

#include <optional>

namespace {

const QString TableHeading = QStringLiteral("ERROR      COUNT      FAILED COMMAND");

template <class Control = QAction>
Control* LogControl(const QString& name) { return CommLogForm->findChild<Control*>(name); }
QLineEdit* Row(int n, const char* column) { return LogControl<QLineEdit>(QString("edE%1%2").arg(n).arg(column)); }
QPlainTextEdit& Log() { return *CommLogForm->reLog; }
QString Panel(int index) { return CommLogForm->SBar->PanelText(index); }

// The 13 lines of the table as the window shows it after a reset.
QStringList ResetTable()
{
    QStringList lines{QString(), TableHeading, QString()};
    for (int n = 0; n < 10; ++n)
        lines << QStringLiteral("?%1            0                No Error").arg(n);
    return lines;
}

// The log window as a user meets it: opened with "View Log".
class CommLog : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        if (!HasFatalFailure())
            MainEntry("ViewLog2")->trigger();
    }
};

TEST_F(CommLog, TheLogTakesItsTwenty_thousandthLineAndWhenFullIsSavedWithItsTableAndRestarted)
{
    CommLogForm->DisplayCommErrors();
    Log().setPlainText(NumberedLines(19999) + QLatin1Char('\n'));
    CommLogForm->AppendToLog(QStringLiteral("last"));
    EXPECT_EQ(std::tuple(LogsFolderFiles(InstallPath()), Panel(0)),
              std::tuple(QStringList(), QString(" Line Count: 20000")));
    CommLogForm->SetAttributeColor(QColor(0, 128, 0));
    CommLogForm->AppendToLog(QStringLiteral("NEXT"));
    const QStringList files = LogsFolderFiles(InstallPath());
    ASSERT_EQ(files.size(), 1);
    // Rich text: every line of the log, then the table, each a paragraph.
    const QByteArray saved = ReadWholeFile(InstallPath() + QStringLiteral("/Logs/") + files[0]);
    EXPECT_TRUE(saved.startsWith("{\\rtf1") && !saved.contains("NEXT"));
    EXPECT_EQ(saved.count("\\par\r\n"), 20000 + 13 + 1);
    EXPECT_GT(saved.indexOf(TableHeading.toLatin1() + "\\par"), saved.indexOf("last\\par"));
    const QColor colour = Log().document()->firstBlock().begin().fragment().charFormat().foreground().color();
    EXPECT_EQ(std::tuple(LogLines(), colour, Panel(0), LoggingIs(true)),
              std::tuple(QStringList{"NEXT"}, QColor(0, 128, 0), QString(" Line Count: 1"), true));
}

// Month before day, then the two-digit year, the hour of 24, minutes and seconds.
TEST(AutomaticSaveFileName, IsNamedAfterTheMoment)
{
    EXPECT_EQ(AutomaticSaveFileName("Comm Log Output", QDateTime(QDate(2026, 12, 5), QTime(17, 58, 59))),
              InstallFolder::File("Logs/Comm Log Output120526_175859.doc"));
    EXPECT_EQ(AutomaticSaveFileName("Comm Terminal Output", QDateTime(QDate(2031, 2, 9), QTime(0, 5, 7))),
              InstallFolder::File("Logs/Comm Terminal Output020931_000507.doc"));
}

using CommLogBeforeViewLog = WindowFixture;

// Logging goes on while the window is hidden and its timer idles; a log never
// shown wraps as it will when shown, an entry counting once per displayed line.
TEST_F(CommLogBeforeViewLog, UntilViewLogTheTimerIdlesAndAWrappedEntryCountsAsItWillBeShown)
{
    QTimer& timer = *CommLogForm->tmrUpdate;
    EXPECT_EQ(std::tuple(timer.interval(), timer.isActive()), std::tuple(5000, false));
    MainEntry("EnableLog1")->trigger();
    CommLogForm->AppendToLog(QStringLiteral("ABCDEFG ").repeated(100));
    CommLogForm->AppendToLog(QStringLiteral("short"));
    MainEntry("ViewLog2")->trigger();
    EXPECT_EQ(std::tuple(timer.interval(), timer.isActive()), std::tuple(2000, true));
    EXPECT_EQ(CommLogForm->LogLineCount, Log().document()->firstBlock().layout()->lineCount());
    EXPECT_GT(CommLogForm->LogLineCount, 1);
}

// Rows reading "No Error" are silver; the text takes the rows, not the arrays.
// "Clear Errors" keeps the log, "Clear Log" keeps the counts.
TEST_F(CommLog, TheTableIsWrittenFromTheShownRows)
{
    EXPECT_EQ(Row(0, "Count")->text(), "");
    CommLogForm->tmrUpdateTimer();
    CommLogForm->CommErrorCount = {0, 0, 5, 12, 0, 0, 0, 1, 0, 0};
    CommLogForm->CommErrorCommand[3] = ";LC:FL 9";
    CommLogForm->CommErrorCommand[7] = "?WATER FLOW";
    CommLogForm->DisplayCommErrors();
    for (int n = 0; n < 10; ++n)
        for (const char* column : {"Count", "Text"})
            EXPECT_EQ(Row(n, column)->palette().color(QPalette::Base).green(), n == 3 || n == 7 ? 0xFF : 0xC0) << n;
    CommLogForm->CommErrorCount[5] = 4;
    CommLogForm->AppendToLog(QStringLiteral("entry"));
    CommLogForm->WriteCommErrorsToRLOG();
    QStringList expected = QStringList{"entry"} + ResetTable();
    expected[4 + 2] = QStringLiteral("?2            5                No Error");
    expected[4 + 3] = QStringLiteral("?3            12                ;LC:FL 9");
    expected[4 + 7] = QStringLiteral("?7            1                ?WATER FLOW");
    EXPECT_EQ(LogLines(), expected);

    LogControl<QPushButton>("cmdClearErrors")->click();
    EXPECT_EQ(std::tuple(LogLines(), Row(3, "Text")->text()), std::tuple(expected, QString("No Error")));
    CommLogForm->CommErrorCount[1] = 3;
    LogControl<QPushButton>("Button1")->click();
    EXPECT_EQ(std::tuple(Log().toPlainText(), Panel(0), CommLogForm->CommErrorCount[1]),
              std::tuple(QString(), QString(" Line Count: 0"), 3));
}

// The File menu's save writes the log alone; the pop-up menu's save and both
// prints append the table first, also when the file then fails.
TEST_F(CommLog, SaveAndPrintEntriesAppendTheTableFirstExceptTheFileMenuSave)
{
    CommLogForm->DisplayCommErrors();
    CommLogForm->AppendToLog(QStringLiteral("traffic"));
    for (const auto& [entry, withTable] : {std::pair{"SavetoFile2", false}, {"SavetoFile1", true}}) {
        const QString file = InstallPath() + "/" + entry;
        Ui.AnswerFileDialog(file);
        LogControl(entry)->trigger();
        const auto& request = Ui.FileDialogs.back().Request;
        EXPECT_EQ(std::tuple(request.Filter, request.OverwritePrompt, request.DefaultExt),
                  std::tuple(QString("Rich Edit (*.rtf)|*.rtf|All Files (*.*)|*.*"), true, QString()));
        const QByteArray saved = ReadWholeFile(file);
        EXPECT_EQ(std::tuple(saved.contains("traffic\\par"), saved.contains("FAILED COMMAND")),
                  std::tuple(true, withTable));
    }
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/missing/log.rtf"));
    LogControl("SavetoFile1")->trigger();
    EXPECT_EQ(Heads(Ui.Exceptions), QStringList{"Cannot create file"});
    LogControl("Print1")->trigger();
    LogControl("Print2")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 2u);
    for (std::size_t job = 0; job < 2; ++job)
        EXPECT_EQ(std::tuple(Ui.PrintJobs[job].Title, Ui.PrintJobs[job].Text.count(TableHeading)),
                  std::tuple(QString("Communications Log"), qsizetype(3 + job)));
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable() + ResetTable() + ResetTable() + ResetTable());
}

// Each switch of either window, a menu entry or a radio button, and the state
// the refresh then shows.
TEST_F(CommLog, LoggingIsSwitchedFromBothWindowsAndTheRefreshShowsIt)
{
    const std::pair<const char*, bool> switches[] = {{"DisableLog1", false}, {"ViewLog2", true},
                                                     {"rbLogDis", false},    {"rbLogEna", true},
                                                     {"DisableLog1", false}, {"EnableLog1", true}};
    for (const auto& [name, on] : switches) {
        if (auto* radio = LogControl<QRadioButton>(name))
            radio->click();
        else
            MainEntry(name)->trigger();
        CommLogForm->tmrUpdateTimer();
        const QString status = on ? " Status: Logging Communications" : " Status: Comm Logging Disabled";
        const bool ticked = LogControl<QRadioButton>(on ? "rbLogEna" : "rbLogDis")->isChecked();
        EXPECT_EQ(std::tuple(LoggingIs(on), ticked, Panel(1)), std::tuple(true, true, status)) << name;
    }
    // The status bar shows the count after an append, the refresh the count before it.
    CommLogForm->AppendToLog(QStringLiteral("one"));
    CommLogForm->AppendToLog(QStringLiteral("two"));
    const QString afterAppend = Panel(0);
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(std::tuple(afterAppend, Panel(0)), std::tuple(QString(" Line Count: 2"), QString(" Line Count: 1")));
    // Closing only hides the window: logging goes on.
    LogControl("Exit1")->trigger();
    EXPECT_EQ(std::tuple(CommLogForm->isVisible(), CommLogForm->tmrUpdate->isActive(), LoggingIs(true)),
              std::tuple(false, false, true));
}

// The main window and its instrument, with Logs/ on a disk that runs full on demand.
class AutomaticSaves : public TrafficFixture
{
protected:
    void PrepareInstallFolder() override
    {
        TrafficFixture::PrepareInstallFolder();
        Disk.emplace(InstallPath() + QStringLiteral("/Logs"));
    }
    std::optional<FullFileSystem> Disk;
};

// A save that cannot be written shows the file error, keeps every line,
// leaves nothing in Logs/ and logging off; the send goes out all the same.
TEST_F(AutomaticSaves, AFullDiskLeavesNothingBehindAndTheNextSendSaves)
{
    AnswerEveryCommand("OK\r\n");
    const QString logs = InstallPath() + QStringLiteral("/Logs/");
    for (const bool logFull : {false, true}) {
        SCOPED_TRACE(logFull ? "log" : "pane");
        Ui.Exceptions.clear();
        Pane()->setPlainText(logFull ? QString() : NumberedLines(20000));
        Log().setPlainText(logFull ? NumberedLines(20000) + QLatin1Char('\n') : QString());
        MainEntry("ViewLog2")->trigger();
        Disk->Fill();
        Send("FIRST");
        Disk->Free();
        EXPECT_EQ(Heads(Ui.Exceptions), QStringList{"Stream write error on"});
        EXPECT_EQ(std::tuple(QDir(logs).entryList(QDir::Files), LoggingIs(false), CommTermForm->LastResponse,
                             (logFull ? LogLines() : PaneLines()).mid(19999, 1)),
                  std::tuple(QStringList(), true, QString("OK"), QStringList{"line 19999"}));
    }
    ASSERT_TRUE(Instrument->WaitForCommands(2));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "FIRST"}));
}

} // namespace
