#include "TrafficFixture.h"

#include "platform/Exceptions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

namespace {

const QString TableHeading = QStringLiteral("ERROR      COUNT      FAILED COMMAND");

// The log window as a user meets it: opened with "View Log".
class CommLog : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        MainEntry("ViewLog2")->trigger();
    }

    template <class Control = QWidget>
    static Control* LogControl(const char* name)
    {
        auto* control = CommLogForm->findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }
    static QAction* LogEntry(const char* name) { return LogControl<QAction>(name); }

    static QPlainTextEdit& Log() { return *CommLogForm->reLog; }
    // The log's lines; the empty place for the next line is not one of them.
    static QStringList LogLines()
    {
        QStringList lines = Log().toPlainText().split(QLatin1Char('\n'));
        if (lines.constLast().isEmpty())
            lines.removeLast();
        return lines;
    }
    // Fills the log with short numbered lines at once.
    static void FillLog(int count)
    {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << QStringLiteral("line %1").arg(i);
        Log().setPlainText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    static QString Panel(int index) { return CommLogForm->SBar->PanelText(index); }

    static void SetErrorRow(std::size_t row, int count, const QString& command)
    {
        CommLogForm->CommErrorCount[row] = count;
        CommLogForm->CommErrorCommand[row] = command;
    }

    QStringList LogFiles() const
    {
        return QDir(InstallPath() + QStringLiteral("/Logs")).entryList(QDir::Files);
    }
    QByteArray LogFile(const QString& name) const
    {
        QFile file(InstallPath() + QStringLiteral("/Logs/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }
};

// The 13 lines of the table as the window shows it after a reset.
QStringList ResetTable()
{
    QStringList lines{QString(), TableHeading, QString()};
    for (int n = 0; n < 10; ++n)
        lines << QStringLiteral("?%1            0                No Error").arg(n);
    return lines;
}

// ---- Appending and the line limit ----

TEST_F(CommLog, AnEntryIsAddedAsTheLastLineInTheColourSetBeforeIt)
{
    CommLogForm->SetAttributeColor(Qt::black);
    CommLogForm->AppendToLog(QStringLiteral("[1:2:3:4]  SENT"));
    CommLogForm->SetAttributeColor(QColor(0, 128, 0));
    CommLogForm->AppendToLog(QStringLiteral("[1:2:3:9]  <b>REPLY</b>"));

    EXPECT_EQ(LogLines(), (QStringList{"[1:2:3:4]  SENT", "[1:2:3:9]  <b>REPLY</b>"}));
    const QTextBlock reply = Log().document()->findBlockByNumber(1);
    EXPECT_EQ(reply.begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(Log().document()->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(Qt::black));
    EXPECT_EQ(Panel(0), " Line Count: 2");
    EXPECT_EQ(Panel(1), " Status: Logging Communications");
}

TEST_F(CommLog, TheLogTakesItsTwenty_thousandthLineWithoutSaving)
{
    FillLog(19999);
    CommLogForm->AppendToLog(QStringLiteral("last"));
    EXPECT_TRUE(LogFiles().isEmpty());
    EXPECT_EQ(LogLines().size(), 20000);
    EXPECT_EQ(CommLogForm->LogLineCount, 19999);
    EXPECT_EQ(Panel(0), " Line Count: 20000");
}

TEST_F(CommLog, AFullLogIsSavedWithItsErrorTableAndRestartedWithTheNewEntry)
{
    CommTermForm->ResetCommErrorArray();
    CommLogForm->DisplayCommErrors();
    FillLog(20000);
    CommLogForm->SetAttributeColor(QColor(0, 128, 0));
    CommLogForm->AppendToLog(QStringLiteral("[9:8:7:6]  NEXT"));

    const QStringList files = LogFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Comm Log Output\d{6}_\d{6}\.doc$)")).match(files[0]).hasMatch())
        << files[0].toStdString();
    const QByteArray saved = LogFile(files[0]);
    EXPECT_TRUE(saved.startsWith("{\\rtf1"));
    // Every line of the log, then the table, each a paragraph, the table last.
    EXPECT_EQ(saved.count("\\par\r\n"), 20000 + 13 + 1);
    const qsizetype lastLine = saved.indexOf("line 19999\\par");
    const qsizetype heading = saved.indexOf(TableHeading.toLatin1() + "\\par");
    const qsizetype lastRow = saved.indexOf("?9            0                No Error\\par");
    EXPECT_GT(lastLine, saved.indexOf("line 0\\par"));
    EXPECT_GT(heading, lastLine);
    EXPECT_GT(lastRow, heading);
    EXPECT_FALSE(saved.contains("NEXT"));

    EXPECT_EQ(LogLines(), QStringList{"[9:8:7:6]  NEXT"});
    EXPECT_EQ(Log().document()->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(CommLogForm->LogLineCount, 0);
    EXPECT_EQ(Panel(0), " Line Count: 1");
    EXPECT_TRUE(CommTermForm->LogEnabled);
    EXPECT_TRUE(MainEntry("EnableLog1")->isChecked());
    EXPECT_FALSE(MainEntry("DisableLog1")->isChecked());
}

TEST_F(CommLog, AFullLogWithoutALogsFolderKeepsItsLinesAndSwitchesLoggingOff)
{
    ASSERT_TRUE(QDir(InstallPath() + QStringLiteral("/Logs")).removeRecursively());
    CommTermForm->ResetCommErrorArray();
    CommLogForm->DisplayCommErrors();
    FillLog(20000);

    EXPECT_THROW(CommLogForm->AppendToLog(QStringLiteral("lost")), EFileError);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 20013);
    EXPECT_EQ(lines[19999], "line 19999");
    EXPECT_EQ(lines.mid(20000), ResetTable());
    EXPECT_FALSE(CommTermForm->LogEnabled);
    EXPECT_FALSE(MainEntry("EnableLog1")->isChecked());
    EXPECT_TRUE(MainEntry("DisableLog1")->isChecked());
}

// Word wrap: an entry wider than the log counts once per displayed line.
TEST_F(CommLog, AWrappedEntryCountsAsTheLinesItIsShownOn)
{
    const QString wide = QStringLiteral("[1:1:1:1]  ") + QStringLiteral("ABCDEFG ").repeated(100);
    CommLogForm->AppendToLog(wide);
    const int shownLines = Log().document()->firstBlock().layout()->lineCount();
    ASSERT_GT(shownLines, 1);
    EXPECT_EQ(Panel(0), QStringLiteral(" Line Count: %1").arg(shownLines));
    CommLogForm->AppendToLog(QStringLiteral("short"));
    EXPECT_EQ(CommLogForm->LogLineCount, shownLines);
}

using HiddenCommLog = WindowFixture;

TEST_F(HiddenCommLog, BeforeItIsShownTheLogIsEmptyAndItsTimerIdle)
{
    EXPECT_TRUE(CommLogForm->reLog->toPlainText().isEmpty());
    EXPECT_EQ(CommLogForm->LogLineCount, 0);
    EXPECT_EQ(CommLogForm->tmrUpdate->interval(), 5000);
    EXPECT_FALSE(CommLogForm->tmrUpdate->isActive());
    EXPECT_EQ(CommLogForm->SBar->PanelText(0), " Line Count: 0");
    EXPECT_EQ(CommLogForm->SBar->PanelText(1), " Status: Comm Logging Disabled");
}

// Logging goes on while the window is hidden; a log never shown wraps as it
// will when it is shown.
TEST_F(HiddenCommLog, AWrappedEntryCountsTheSameBeforeTheWindowIsFirstShown)
{
    MainEntry("EnableLog1")->trigger();
    ASSERT_FALSE(CommLogForm->isVisible());
    CommLogForm->AppendToLog(QStringLiteral("ABCDEFG ").repeated(100));
    CommLogForm->AppendToLog(QStringLiteral("short"));
    const int hiddenCount = CommLogForm->LogLineCount;
    EXPECT_GT(hiddenCount, 1);

    MainEntry("ViewLog2")->trigger();
    CommLogForm->AppendToLog(QStringLiteral("shown"));
    EXPECT_EQ(CommLogForm->LogLineCount, hiddenCount + 1);
}

// ---- The error table ----

TEST_F(CommLog, TheTableIsWrittenAsThirteenLinesFromTheShownRows)
{
    CommTermForm->ResetCommErrorArray();
    SetErrorRow(3, 12, QStringLiteral(";LC:FL 9"));
    SetErrorRow(7, 1, QStringLiteral("?WATER FLOW"));
    CommLogForm->DisplayCommErrors();
    // Not yet shown: the text takes the rows, not the arrays.
    SetErrorRow(5, 4, QStringLiteral("unseen"));
    CommLogForm->AppendToLog(QStringLiteral("entry"));
    CommLogForm->WriteCommErrorsToRLOG();

    QStringList expected = ResetTable();
    expected[3 + 3] = QStringLiteral("?3            12                ;LC:FL 9");
    expected[3 + 7] = QStringLiteral("?7            1                ?WATER FLOW");
    EXPECT_EQ(LogLines(), QStringList{"entry"} + expected);
}

TEST_F(CommLog, RowsReadingNoErrorAreSilverWhateverTheirCount)
{
    CommTermForm->ResetCommErrorArray();
    SetErrorRow(2, 5, QStringLiteral("No Error"));
    SetErrorRow(4, 1, QStringLiteral(";LC:ED?"));
    CommLogForm->DisplayCommErrors();

    const QColor silver(0xC0, 0xC0, 0xC0);
    const QColor white(0xFF, 0xFF, 0xFF);
    for (int n = 0; n < 10; ++n) {
        const QColor expected = n == 4 ? white : silver;
        for (const QString& name : {QStringLiteral("edE%1Count"), QStringLiteral("edE%1Text")}) {
            auto* edit = CommLogForm->findChild<QLineEdit*>(name.arg(n));
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->palette().color(QPalette::Base), expected) << name.arg(n).toStdString();
        }
    }
    EXPECT_EQ(LogControl<QLineEdit>("edE2Count")->text(), "5");
    EXPECT_EQ(LogControl<QLineEdit>("edE4Text")->text(), ";LC:ED?");
}

TEST_F(CommLog, RowsAreEmptyUntilTheFirstRefreshAndThenReadTheReset)
{
    EXPECT_TRUE(LogControl<QLineEdit>("edE0Count")->text().isEmpty());
    EXPECT_TRUE(LogControl<QLineEdit>("edE9Text")->text().isEmpty());
    EXPECT_EQ(CommLogForm->tmrUpdate->interval(), 2000);
    EXPECT_TRUE(CommLogForm->tmrUpdate->isActive());

    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(LogControl<QLineEdit>("edE0Count")->text(), "0");
    EXPECT_EQ(LogControl<QLineEdit>("edE9Text")->text(), "No Error");
}

TEST_F(CommLog, ClearLogKeepsTheTableAndClearErrorsKeepsTheLog)
{
    SetErrorRow(1, 3, QStringLiteral("BAD"));
    CommLogForm->AppendToLog(QStringLiteral("kept"));
    LogControl<QPushButton>("cmdClearErrors")->click();
    EXPECT_EQ(LogLines(), QStringList{"kept"});
    EXPECT_EQ(CommLogForm->CommErrorCount[1], 0);
    EXPECT_EQ(LogControl<QLineEdit>("edE1Text")->text(), "No Error");

    SetErrorRow(1, 3, QStringLiteral("BAD"));
    LogControl<QPushButton>("Button1")->click();
    EXPECT_TRUE(Log().toPlainText().isEmpty());
    EXPECT_EQ(CommLogForm->LogLineCount, 0);
    EXPECT_EQ(Panel(0), " Line Count: 0");
    EXPECT_EQ(CommLogForm->CommErrorCount[1], 3);
}

// ---- Saving and printing ----

TEST_F(CommLog, ThePopUpSaveAppendsTheTableAndTheFileMenuSaveDoesNot)
{
    CommTermForm->ResetCommErrorArray();
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
        EXPECT_TRUE(dialog.Request.FileName.isEmpty());
    }
    QFile plainFile(plain);
    QFile tableFile(withTable);
    ASSERT_TRUE(plainFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(tableFile.open(QIODevice::ReadOnly));
    const QByteArray plainRtf = plainFile.readAll();
    const QByteArray tableRtf = tableFile.readAll();
    EXPECT_TRUE(plainRtf.contains("traffic\\par"));
    EXPECT_FALSE(plainRtf.contains("FAILED COMMAND"));
    EXPECT_TRUE(tableRtf.contains(TableHeading.toLatin1()));
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable());
}

TEST_F(CommLog, AFailedSaveIsShownAndThePopUpVariantHasAlreadyAddedTheTable)
{
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/missing/log.rtf"));
    LogEntry("SavetoFile1")->trigger();
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot create file")) << Ui.Exceptions[0].toStdString();
    EXPECT_EQ(LogLines().size(), 13);
}

TEST_F(CommLog, BothPrintEntriesAppendTheTableFirstAndPrintUnderTheLogTitle)
{
    CommTermForm->ResetCommErrorArray();
    CommLogForm->DisplayCommErrors();
    CommLogForm->AppendToLog(QStringLiteral("traffic"));
    LogEntry("Print1")->trigger();
    LogEntry("Print2")->trigger();

    ASSERT_EQ(Ui.PrintJobs.size(), 2u);
    EXPECT_EQ(Ui.PrintJobs[0].Title, "Communications Log");
    EXPECT_EQ(Ui.PrintJobs[1].Title, "Communications Log");
    EXPECT_TRUE(Ui.PrintJobs[0].Text.startsWith(QStringLiteral("traffic\n\n") + TableHeading));
    EXPECT_EQ(LogLines(), QStringList{"traffic"} + ResetTable() + ResetTable());
}

TEST_F(CommLog, ThePopUpEditEntriesCutAndPasteTheLogText)
{
    CommLogForm->AppendToLog(QStringLiteral("moved"));
    FocusControl(Log());
    QTest::keyClick(&Log(), Qt::Key_A, Qt::ControlModifier);
    const QList<QAction*> entries = CommLogForm->PopupMenuCommLog->actions();
    ASSERT_EQ(entries.size(), 6);
    EXPECT_TRUE(entries[3]->isSeparator());
    entries[0]->trigger();
    EXPECT_TRUE(Log().toPlainText().isEmpty());
    entries[2]->trigger();
    entries[2]->trigger();
    EXPECT_EQ(LogLines(), (QStringList{"moved", "moved"}));
}

// ---- Logging on and off ----

TEST_F(CommLog, ViewLogShowsTheWindowAndSwitchesLoggingOnEvenAfterItWasSwitchedOff)
{
    EXPECT_TRUE(CommLogForm->isVisible());
    EXPECT_TRUE(CommTermForm->LogEnabled);
    MainEntry("DisableLog1")->trigger();
    EXPECT_FALSE(CommTermForm->LogEnabled);
    EXPECT_FALSE(MainEntry("EnableLog1")->isChecked());
    EXPECT_TRUE(MainEntry("DisableLog1")->isChecked());

    MainEntry("ViewLog2")->trigger();
    EXPECT_TRUE(CommTermForm->LogEnabled);
    EXPECT_TRUE(MainEntry("EnableLog1")->isChecked());
    EXPECT_FALSE(MainEntry("DisableLog1")->isChecked());
}

TEST_F(CommLog, ClosingTheWindowHidesItAndLoggingGoesOn)
{
    CommLogForm->AppendToLog(QStringLiteral("before"));
    LogEntry("Exit1")->trigger();
    EXPECT_FALSE(CommLogForm->isVisible());
    EXPECT_FALSE(CommLogForm->tmrUpdate->isActive());
    EXPECT_TRUE(CommTermForm->LogEnabled);
    EXPECT_EQ(LogLines(), QStringList{"before"});
}

TEST_F(CommLog, TheRadioButtonsSwitchLoggingAndTheRefreshTicksThem)
{
    LogControl<QRadioButton>("rbLogDis")->click();
    EXPECT_FALSE(CommTermForm->LogEnabled);
    EXPECT_TRUE(MainEntry("DisableLog1")->isChecked());
    LogControl<QRadioButton>("rbLogEna")->click();
    EXPECT_TRUE(CommTermForm->LogEnabled);
    EXPECT_TRUE(MainEntry("EnableLog1")->isChecked());

    MainEntry("DisableLog1")->trigger();
    CommLogForm->tmrUpdateTimer();
    EXPECT_TRUE(LogControl<QRadioButton>("rbLogDis")->isChecked());
    EXPECT_EQ(Panel(1), " Status: Comm Logging Disabled");
    EXPECT_FALSE(CommTermForm->LogEnabled);
}

// The status bar shows the count after an append; the refresh shows the count
// the log held before it.
TEST_F(CommLog, TheRefreshShowsTheCountBeforeTheLatestAppend)
{
    CommLogForm->AppendToLog(QStringLiteral("one"));
    CommLogForm->AppendToLog(QStringLiteral("two"));
    EXPECT_EQ(Panel(0), " Line Count: 2");
    CommLogForm->tmrUpdateTimer();
    EXPECT_EQ(Panel(0), " Line Count: 1");
    EXPECT_EQ(Panel(1), " Status: Logging Communications");
}

// ---- Through the send road ----

using CommLogTraffic = TrafficFixture;

TEST_F(CommLogTraffic, AFailedAutomaticSaveIsShownAndTheSendStillCompletes)
{
    ASSERT_TRUE(QDir(InstallPath() + QStringLiteral("/Logs")).removeRecursively());
    MainEntry("ViewLog2")->trigger();
    QStringList lines;
    for (int i = 0; i < 20000; ++i)
        lines << QStringLiteral("line %1").arg(i);
    CommLogForm->reLog->setPlainText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    AnswerEveryCommand("OK\r\n");
    Send("FIRST");

    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_TRUE(Ui.Exceptions[0].startsWith("Cannot create file")) << Ui.Exceptions[0].toStdString();
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_FALSE(CommTermForm->LogEnabled);
    EXPECT_EQ(CommTermForm->LastResponse, "OK");

    Send("SECOND");
    ASSERT_TRUE(Instrument->WaitForCommands(2));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"FIRST", "SECOND"}));
    EXPECT_FALSE(LogText().contains(QStringLiteral("SECOND")));
}

} // namespace
