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
Control* LogControl(const QString& name)
{
    auto* control = CommLogForm->findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << "no control " << name.toStdString();
    return control;
}

QPlainTextEdit& Log() { return *CommLogForm->reLog; }
QString Panel(int index) { return CommLogForm->SBar->PanelText(index); }
QString RowText(int row, const char* column) { return LogControl<QLineEdit>(QString("edE%1%2").arg(row).arg(column))->text(); }

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
    EXPECT_TRUE(LogsFolderFiles(InstallPath()).isEmpty());
    EXPECT_EQ(Panel(0), " Line Count: 20000");

    CommLogForm->SetAttributeColor(QColor(0, 128, 0));
    CommLogForm->AppendToLog(QStringLiteral("NEXT"));
    const QStringList files = LogsFolderFiles(InstallPath());
    ASSERT_EQ(files.size(), 1);
    const QByteArray saved = ReadWholeFile(InstallPath() + QStringLiteral("/Logs/") + files[0]);
    // Rich text: every line of the log, then the table, each a paragraph.
    EXPECT_TRUE(saved.startsWith("{\\rtf1"));
    EXPECT_EQ(saved.count("\\par\r\n"), 20000 + 13 + 1);
    EXPECT_GT(saved.indexOf(TableHeading.toLatin1() + "\\par"), saved.indexOf("last\\par"));
    EXPECT_FALSE(saved.contains("NEXT"));
    EXPECT_EQ(LogLines(), QStringList{"NEXT"});
    EXPECT_EQ(Log().document()->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(Panel(0), " Line Count: 1");
    EXPECT_TRUE(LoggingIs(true));
}

// Month before day, then the two-digit year, the hour of 24, minutes and seconds.
TEST_F(CommLog, AutomaticSavesAreNamedAfterTheMoment)
{
    EXPECT_EQ(AutomaticSaveFileName("Comm Log Output", QDateTime(QDate(2026, 12, 5), QTime(17, 58, 59))),
              InstallPath() + "/Logs/Comm Log Output120526_175859.doc");
    EXPECT_EQ(AutomaticSaveFileName("Comm Terminal Output", QDateTime(QDate(2031, 2, 9), QTime(0, 5, 7))),
              InstallPath() + "/Logs/Comm Terminal Output020931_000507.doc");
}

using CommLogBeforeViewLog = WindowFixture;

// Logging goes on while the window is hidden; a log never shown wraps as it
// will when shown, an entry counting once per displayed line.
TEST_F(CommLogBeforeViewLog, UntilViewLogTheTimerIdlesAndAWrappedEntryCountsAsItWillBeShown)
{
    EXPECT_EQ(std::tuple(CommLogForm->tmrUpdate->interval(), CommLogForm->tmrUpdate->isActive(), Panel(1)),
              std::tuple(5000, false, QString(" Status: Comm Logging Disabled")));
    MainEntry("EnableLog1")->trigger();
    CommLogForm->AppendToLog(QStringLiteral("ABCDEFG ").repeated(100));
    CommLogForm->AppendToLog(QStringLiteral("short"));
    const int hiddenCount = CommLogForm->LogLineCount;

    MainEntry("ViewLog2")->trigger();
    EXPECT_EQ(std::tuple(CommLogForm->tmrUpdate->interval(), CommLogForm->tmrUpdate->isActive()), std::tuple(2000, true));
    const int shownLines = Log().document()->firstBlock().layout()->lineCount();
    ASSERT_GT(shownLines, 1);
    EXPECT_EQ(hiddenCount, shownLines);
    // The rows stay empty until the first refresh fills them.
    EXPECT_EQ(RowText(0, "Count"), "");
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(std::tuple(RowText(0, "Count"), RowText(9, "Text")), std::tuple(QString("0"), QString("No Error")));
}

TEST_F(CommLog, TheTableIsWrittenFromTheShownRowsAndRowsReadingNoErrorAreSilver)
{
    CommTermForm->ResetCommErrorArray();
    const std::tuple<int, int, const char*> rows[] = {{2, 5, "No Error"}, {3, 12, ";LC:FL 9"}, {7, 1, "?WATER FLOW"}};
    for (const auto& [row, count, command] : rows) {
        CommLogForm->CommErrorCount[row] = count;
        CommLogForm->CommErrorCommand[row] = command;
    }
    CommLogForm->DisplayCommErrors();
    for (int n = 0; n < 10; ++n) {
        const QColor expected = n == 3 || n == 7 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xC0, 0xC0, 0xC0);
        for (const char* column : {"Count", "Text"})
            EXPECT_EQ(LogControl<QLineEdit>(QString("edE%1%2").arg(n).arg(column))->palette().color(QPalette::Base), expected) << n;
    }
    // Not yet shown: the text takes the rows, not the arrays.
    CommLogForm->CommErrorCount[5] = 4;
    CommLogForm->AppendToLog(QStringLiteral("entry"));
    CommLogForm->WriteCommErrorsToRLOG();
    QStringList expected = QStringList{"entry"} + ResetTable();
    expected[4 + 2] = QStringLiteral("?2            5                No Error");
    expected[4 + 3] = QStringLiteral("?3            12                ;LC:FL 9");
    expected[4 + 7] = QStringLiteral("?7            1                ?WATER FLOW");
    EXPECT_EQ(LogLines(), expected);

    // "Clear Errors" keeps the log; "Clear Log" keeps the counts.
    LogControl<QPushButton>("cmdClearErrors")->click();
    EXPECT_EQ(std::tuple(LogLines(), RowText(3, "Text")), std::tuple(expected, QString("No Error")));
    CommLogForm->CommErrorCount[1] = 3;
    LogControl<QPushButton>("Button1")->click();
    EXPECT_EQ(std::tuple(Log().toPlainText(), Panel(0), CommLogForm->CommErrorCount[1]),
              std::tuple(QString(), QString(" Line Count: 0"), 3));
}

TEST_F(CommLog, SaveAndPrintEntriesAppendTheTableFirstExceptTheFileMenuSave)
{
    CommLogForm->DisplayCommErrors();
    CommLogForm->AppendToLog(QStringLiteral("traffic"));
    Ui.AnswerFileDialog(InstallPath() + "/plain");
    LogControl<QAction>("SavetoFile2")->trigger();
    Ui.AnswerFileDialog(InstallPath() + "/with table");
    LogControl<QAction>("SavetoFile1")->trigger();
    for (const auto& dialog : Ui.FileDialogs)
        EXPECT_EQ(std::tuple(dialog.Save, dialog.Request.Filter, dialog.Request.OverwritePrompt, dialog.Request.DefaultExt),
                  std::tuple(true, QString("Rich Edit (*.rtf)|*.rtf|All Files (*.*)|*.*"), true, QString()));
    EXPECT_TRUE(ReadWholeFile(InstallPath() + "/plain").contains("traffic\\par"));
    EXPECT_FALSE(ReadWholeFile(InstallPath() + "/plain").contains("FAILED COMMAND"));
    EXPECT_TRUE(ReadWholeFile(InstallPath() + "/with table").contains(TableHeading.toLatin1()));

    // The pop-up variant has added its table before the file fails.
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/missing/log.rtf"));
    LogControl<QAction>("SavetoFile1")->trigger();
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot create file")) << Ui.Exceptions[0].toStdString();
    LogControl<QAction>("Print1")->trigger();
    LogControl<QAction>("Print2")->trigger();
    ASSERT_EQ(Ui.PrintJobs.size(), 2u);
    for (std::size_t job = 0; job < 2; ++job)
        EXPECT_EQ(std::tuple(Ui.PrintJobs[job].Title, Ui.PrintJobs[job].Text.count(TableHeading)),
                  std::tuple(QString("Communications Log"), qsizetype(3 + job)));
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable() + ResetTable() + ResetTable() + ResetTable());
}

TEST_F(CommLog, LoggingIsSwitchedFromBothWindowsAndTheRefreshShowsIt)
{
    const std::tuple<const char*, std::function<void()>, bool> switches[] = {
        {"Log Disabled", [this] { MainEntry("DisableLog1")->trigger(); }, false},
        {"View Log", [this] { MainEntry("ViewLog2")->trigger(); }, true},
        {"Disable Log", [] { LogControl<QRadioButton>("rbLogDis")->click(); }, false},
        {"Enable Log", [] { LogControl<QRadioButton>("rbLogEna")->click(); }, true},
        {"Log Disabled again", [this] { MainEntry("DisableLog1")->trigger(); }, false},
        {"Log Enabled", [this] { MainEntry("EnableLog1")->trigger(); }, true},
    };
    for (const auto& [what, choose, on] : switches) {
        choose();
        EXPECT_TRUE(LoggingIs(on)) << what;
        CommLogForm->tmrUpdateTimer();
        EXPECT_EQ(std::tuple(LogControl<QRadioButton>(on ? "rbLogEna" : "rbLogDis")->isChecked(), Panel(1)),
                  std::tuple(true, QString(on ? " Status: Logging Communications" : " Status: Comm Logging Disabled")))
            << what;
    }
    // The status bar shows the count after an append, the refresh the count before it.
    CommLogForm->AppendToLog(QStringLiteral("one"));
    CommLogForm->AppendToLog(QStringLiteral("two"));
    EXPECT_EQ(Panel(0), " Line Count: 2");
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(Panel(0), " Line Count: 1");
    // Closing only hides the window: logging goes on.
    LogControl<QAction>("Exit1")->trigger();
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

    // Every entry in Logs/, the disk's own filler left out.
    QStringList LogsEntries() const
    {
        QStringList names = QDir(InstallPath() + QStringLiteral("/Logs")).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

    std::optional<FullFileSystem> Disk;
};

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
    for (const bool logFull : {false, true}) {
        const QString stem = logFull ? "Comm Log Output" : "Comm Terminal Output";
        SCOPED_TRACE(stem.toStdString());
        Ui.Exceptions.clear();
        Pane()->setPlainText(logFull ? QString() : NumberedLines(20000));
        Log().setPlainText(logFull ? NumberedLines(20000) + QLatin1Char('\n') : QString());
        MainEntry("ViewLog2")->trigger();
        Disk->Fill();
        Send("FIRST");
        Disk->Free();
        ASSERT_EQ(Ui.Exceptions.size(), 1u);
        EXPECT_TRUE(Ui.Exceptions[0].startsWith("Stream write error")) << Ui.Exceptions[0].toStdString();
        EXPECT_EQ(std::tuple(LogsEntries(), LoggingIs(false), CommTermForm->LastResponse), std::tuple(QStringList(), true, QString("OK")));
        EXPECT_EQ((logFull ? LogLines() : PaneLines()).mid(19998, 2), (QStringList{"line 19998", "line 19999"}));

        MainEntry("EnableLog1")->trigger();
        const QDateTime before = QDateTime::currentDateTime();
        Send("SECOND");
        const QDateTime after = QDateTime::currentDateTime();
        const QStringList saved = LogsEntries();
        ASSERT_EQ(saved.size(), 1);
        EXPECT_TRUE(NamedForAMomentBetween(saved[0], stem, before, after)) << saved[0].toStdString();
        EXPECT_TRUE(ReadWholeFile(InstallPath() + "/Logs/" + saved[0]).contains("line 19999"));
        EXPECT_TRUE(LoggingIs(true));
        ASSERT_TRUE(QFile::remove(InstallPath() + "/Logs/" + saved[0]));
    }
    ASSERT_TRUE(Instrument->WaitForCommands(4));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND", "FIRST", "SECOND"}));
}

} // namespace
