#include "TrafficFixture.h"

#include "support/FullFileSystem.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <optional>

namespace {

const QString TableHeading = QStringLiteral("ERROR      COUNT      FAILED COMMAND");

template <class Control = QWidget>
Control* LogControl(const char* name)
{
    auto* control = CommLogForm->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << "no control " << name;
    return control;
}
QAction* LogEntry(const char* name) { return LogControl<QAction>(name); }

QPlainTextEdit& Log() { return *CommLogForm->reLog; }
QString Panel(int index) { return CommLogForm->SBar->PanelText(index); }

void SetErrorRow(std::size_t row, int count, const QString& command)
{
    CommLogForm->CommErrorCount[row] = count;
    CommLogForm->CommErrorCommand[row] = command;
}

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

// ---- Appending and the line limit ----

TEST_F(CommLog, TheLogTakesItsTwenty_thousandthLineAndWhenFullIsSavedWithItsTableAndRestarted)
{
    CommLogForm->DisplayCommErrors();
    Log().setPlainText(NumberedLines(19999) + QLatin1Char('\n'));
    CommLogForm->AppendToLog(QStringLiteral("last"));
    EXPECT_TRUE(LogsFolderFiles(InstallPath()).isEmpty());
    EXPECT_EQ(Panel(0), " Line Count: 20000");

    CommLogForm->SetAttributeColor(QColor(0, 128, 0));
    CommLogForm->AppendToLog(QStringLiteral("NEXT"));
    const QStringList files = LogsFolderFiles(InstallPath());
    ASSERT_EQ(files.size(), 1);
    const QByteArray saved = ReadWholeFile(InstallPath() + QStringLiteral("/Logs/") + files[0]);
    EXPECT_TRUE(saved.startsWith("{\\rtf1"));
    // Every line of the log, then the table, each a paragraph, the table last.
    EXPECT_EQ(saved.count("\\par\r\n"), 20000 + 13 + 1);
    EXPECT_GT(saved.indexOf(TableHeading.toLatin1() + "\\par"), saved.indexOf("last\\par"));
    EXPECT_FALSE(saved.contains("NEXT"));

    EXPECT_EQ(LogLines(), QStringList{"NEXT"});
    EXPECT_EQ(Log().document()->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(Panel(0), " Line Count: 1");
    EXPECT_TRUE(LoggingIs(true));
}

// Month before day, then the two-digit year, the hour of 24 and the seconds.
TEST_F(CommLog, AutomaticSavesAreNamedAfterTheMoment)
{
    EXPECT_EQ(AutomaticSaveFileName("Comm Log Output", QDateTime(QDate(2026, 12, 5), QTime(17, 58, 59))),
              InstallPath() + "/Logs/Comm Log Output120526_175859.doc");
    EXPECT_EQ(AutomaticSaveFileName("Comm Terminal Output", QDateTime(QDate(2031, 2, 9), QTime(0, 5, 7))),
              InstallPath() + "/Logs/Comm Terminal Output020931_000507.doc");
}

using CommLogBeforeViewLog = WindowFixture;

// Logging goes on while the window is hidden; a log never shown wraps as it
// will when it is shown, an entry counting once per displayed line.
TEST_F(CommLogBeforeViewLog, UntilViewLogTheLogTimerIdlesAndAWrappedEntryCountsAsItWillBeShown)
{
    EXPECT_EQ(CommLogForm->tmrUpdate->interval(), 5000);
    EXPECT_FALSE(CommLogForm->tmrUpdate->isActive());
    EXPECT_EQ(Panel(1), " Status: Comm Logging Disabled");
    MainEntry("EnableLog1")->trigger();
    CommLogForm->AppendToLog(QStringLiteral("ABCDEFG ").repeated(100));
    CommLogForm->AppendToLog(QStringLiteral("short"));
    const int hiddenCount = CommLogForm->LogLineCount;

    MainEntry("ViewLog2")->trigger();
    EXPECT_EQ(CommLogForm->tmrUpdate->interval(), 2000);
    EXPECT_TRUE(CommLogForm->tmrUpdate->isActive());
    const int shownLines = Log().document()->firstBlock().layout()->lineCount();
    ASSERT_GT(shownLines, 1);
    EXPECT_EQ(hiddenCount, shownLines);
    CommLogForm->AppendToLog(QStringLiteral("shown"));
    EXPECT_EQ(Panel(0), QStringLiteral(" Line Count: %1").arg(shownLines + 2));

    // The rows stay empty until the first refresh fills them.
    EXPECT_TRUE(LogControl<QLineEdit>("edE0Count")->text().isEmpty());
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(LogControl<QLineEdit>("edE0Count")->text(), "0");
    EXPECT_EQ(LogControl<QLineEdit>("edE9Text")->text(), "No Error");
}

// ---- The error table ----

TEST_F(CommLog, TheTableIsWrittenFromTheShownRowsAndRowsReadingNoErrorAreSilver)
{
    CommTermForm->ResetCommErrorArray();
    SetErrorRow(2, 5, QStringLiteral("No Error"));
    SetErrorRow(3, 12, QStringLiteral(";LC:FL 9"));
    SetErrorRow(7, 1, QStringLiteral("?WATER FLOW"));
    CommLogForm->DisplayCommErrors();
    for (int n = 0; n < 10; ++n) {
        const QColor expected = n == 3 || n == 7 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xC0, 0xC0, 0xC0);
        for (const QString& name : {QStringLiteral("edE%1Count"), QStringLiteral("edE%1Text")})
            EXPECT_EQ(LogControl<QLineEdit>(name.arg(n).toLatin1())->palette().color(QPalette::Base), expected) << n;
    }

    // Not yet shown: the text takes the rows, not the arrays.
    SetErrorRow(5, 4, QStringLiteral("unseen"));
    CommLogForm->AppendToLog(QStringLiteral("entry"));
    CommLogForm->WriteCommErrorsToRLOG();
    QStringList expected = ResetTable();
    expected[3 + 2] = QStringLiteral("?2            5                No Error");
    expected[3 + 3] = QStringLiteral("?3            12                ;LC:FL 9");
    expected[3 + 7] = QStringLiteral("?7            1                ?WATER FLOW");
    EXPECT_EQ(LogLines(), QStringList{"entry"} + expected);

    // "Clear Errors" keeps the log; "Clear Log" keeps the counts.
    LogControl<QPushButton>("cmdClearErrors")->click();
    EXPECT_EQ(LogLines(), QStringList{"entry"} + expected);
    EXPECT_EQ(LogControl<QLineEdit>("edE3Text")->text(), "No Error");
    SetErrorRow(1, 3, QStringLiteral("BAD"));
    LogControl<QPushButton>("Button1")->click();
    EXPECT_TRUE(Log().toPlainText().isEmpty());
    EXPECT_EQ(Panel(0), " Line Count: 0");
    EXPECT_EQ(CommLogForm->CommErrorCount[1], 3);
}

// ---- Saving and printing ----

TEST_F(CommLog, SaveAndPrintEntriesAppendTheTableFirstExceptTheFileMenuSave)
{
    CommLogForm->DisplayCommErrors();
    CommLogForm->AppendToLog(QStringLiteral("traffic"));
    const QString plain = InstallPath() + QStringLiteral("/plain");
    const QString withTable = InstallPath() + QStringLiteral("/with table");
    Ui.AnswerFileDialog(plain);
    LogEntry("SavetoFile2")->trigger();
    Ui.AnswerFileDialog(withTable);
    LogEntry("SavetoFile1")->trigger();

    ASSERT_EQ(Ui.FileDialogs.size(), 2u);
    for (const auto& dialog : Ui.FileDialogs) {
        EXPECT_TRUE(dialog.Save);
        EXPECT_EQ(dialog.Request.Filter, "Rich Edit (*.rtf)|*.rtf|All Files (*.*)|*.*");
        EXPECT_TRUE(dialog.Request.OverwritePrompt);
        EXPECT_TRUE(dialog.Request.DefaultExt.isEmpty());
    }
    const QByteArray plainRtf = ReadWholeFile(plain);
    EXPECT_TRUE(plainRtf.contains("traffic\\par"));
    EXPECT_FALSE(plainRtf.contains("FAILED COMMAND"));
    EXPECT_TRUE(ReadWholeFile(withTable).contains(TableHeading.toLatin1()));
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable());

    // The pop-up variant has added its table before the file fails.
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/missing/log.rtf"));
    LogEntry("SavetoFile1")->trigger();
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot create file")) << Ui.Exceptions[0].toStdString();

    LogEntry("Print1")->trigger();
    LogEntry("Print2")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 2u);
    for (std::size_t job = 0; job < 2; ++job) {
        EXPECT_EQ(Ui.PrintJobs[job].Title, "Communications Log");
        EXPECT_EQ(Ui.PrintJobs[job].Text.count(TableHeading), static_cast<qsizetype>(3 + job));
    }
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable() + ResetTable() + ResetTable() + ResetTable());
}

// ---- Logging on and off ----

TEST_F(CommLog, LoggingIsSwitchedFromBothWindowsAndTheRefreshShowsIt)
{
    EXPECT_TRUE(LoggingIs(true));
    MainEntry("DisableLog1")->trigger();
    EXPECT_TRUE(LoggingIs(false));
    MainEntry("ViewLog2")->trigger();
    EXPECT_TRUE(LoggingIs(true));
    LogControl<QRadioButton>("rbLogDis")->click();
    EXPECT_TRUE(LoggingIs(false));
    LogControl<QRadioButton>("rbLogEna")->click();
    EXPECT_TRUE(LoggingIs(true));

    // The status bar shows the count after an append; the refresh shows the
    // count the log held before it.
    CommLogForm->AppendToLog(QStringLiteral("one"));
    CommLogForm->AppendToLog(QStringLiteral("two"));
    EXPECT_EQ(Panel(0), " Line Count: 2");
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(Panel(0), " Line Count: 1");
    EXPECT_EQ(Panel(1), " Status: Logging Communications");
    MainEntry("DisableLog1")->trigger();
    CommLogForm->tmrUpdateTimer();
    EXPECT_TRUE(LogControl<QRadioButton>("rbLogDis")->isChecked());
    EXPECT_EQ(Panel(1), " Status: Comm Logging Disabled");

    // Closing only hides the window: logging goes on.
    MainEntry("EnableLog1")->trigger();
    LogEntry("Exit1")->trigger();
    EXPECT_FALSE(CommLogForm->isVisible());
    EXPECT_FALSE(CommLogForm->tmrUpdate->isActive());
    EXPECT_TRUE(LoggingIs(true));
    EXPECT_EQ(LogLines(), (QStringList{"one", "two"}));
}

// ---- The automatic saves through the send road ----

// The main window and its instrument, with Logs/ on a disk that runs full on demand.
class AutomaticSaves : public TrafficFixture
{
protected:
    void PrepareInstallFolder() override
    {
        TrafficFixture::PrepareInstallFolder();
        Disk.emplace(InstallPath() + QStringLiteral("/Logs"));
    }

    // Every entry in Logs/, the disk's own filler left out.
    QStringList LogsEntries() const
    {
        QStringList names = QDir(InstallPath() + QStringLiteral("/Logs")).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

    std::optional<FullFileSystem> Disk;
};

// The name a save made between the two moments may have.
bool NamedForAMomentBetween(const QString& name, const QString& stem, QDateTime from, const QDateTime& to)
{
    for (from = from.addMSecs(-from.time().msec()); from <= to; from = from.addSecs(1)) {
        if (name == stem + from.toString(QStringLiteral("MMddyy_HHmmss")) + QStringLiteral(".doc"))
            return true;
    }
    return false;
}

// A save that cannot be written shows the file error, keeps every line,
// leaves nothing in Logs/ and leaves logging off; the send goes out all the
// same. With space again, the next send saves the pane or the log whole.
TEST_F(AutomaticSaves, AFullDiskLeavesNothingBehindAndTheNextSendSaves)
{
    AnswerEveryCommand("OK\r\n");
    const struct
    {
        const char* Stem;
        QPlainTextEdit* Full;
    } cases[] = {{"Comm Terminal Output", nullptr}, {"Comm Log Output", CommLogForm->reLog}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stem);
        Ui.Exceptions.clear();
        Pane()->setPlainText(c.Full ? QString() : NumberedLines(20000));
        Log().setPlainText(c.Full ? NumberedLines(20000) + QLatin1Char('\n') : QString());
        MainEntry("ViewLog2")->trigger();
        Disk->Fill();
        Send("FIRST");
        Disk->Free();
        ASSERT_EQ(Ui.Exceptions.size(), 1u);
        EXPECT_TRUE(Ui.Exceptions[0].startsWith("Stream write error")) << Ui.Exceptions[0].toStdString();
        EXPECT_EQ(LogsEntries(), QStringList());
        EXPECT_TRUE(LoggingIs(false));
        EXPECT_EQ((c.Full ? LogLines() : PaneLines()).mid(19998, 2), (QStringList{"line 19998", "line 19999"}));
        EXPECT_EQ(CommTermForm->LastResponse, "OK");

        MainEntry("EnableLog1")->trigger();
        const QDateTime before = QDateTime::currentDateTime();
        Send("SECOND");
        const QDateTime after = QDateTime::currentDateTime();
        const QStringList saved = LogsEntries();
        ASSERT_EQ(saved.size(), 1);
        EXPECT_TRUE(NamedForAMomentBetween(saved[0], c.Stem, before, after)) << saved[0].toStdString();
        EXPECT_TRUE(ReadWholeFile(InstallPath() + "/Logs/" + saved[0]).contains("line 19999"));
        EXPECT_TRUE(LoggingIs(true));
        ASSERT_TRUE(QFile::remove(InstallPath() + "/Logs/" + saved[0]));
    }
    ASSERT_TRUE(Instrument->WaitForCommands(4));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND", "FIRST", "SECOND"}));
}

} // namespace
