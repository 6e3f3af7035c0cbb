#include "terminal/TrafficFixture.h"

#include "serial/CommSettings.h"
#include "settings_transfer/InstrumentSetting.h"
#include "support/ModalScript.h"
#include "terminal/commcyclethread.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <atomic>
#include <string_view>

#include <termios.h>

namespace {

// The instrument splits what it hears at CR, so the LF of a first write
// begins the next command; the rules drop it.
class SettingsTransfer : public TrafficFixture
{
protected:
    void PrepareInstallFolder() override { Instrument = std::make_unique<FakeInstrument>(3, "\r"); }

    // The nth command heard gets the nth reply; later ones get none.
    void AnswerInTurn(const QList<FakeReply>& replies)
    {
        auto heard = std::make_shared<std::atomic<int>>(0);
        Instrument->SetRule([replies, heard](const QByteArray&) {
            const int index = (*heard)++;
            return index < replies.size() ? replies[index] : FakeReply();
        });
    }

    void AnswerByCommand(const QMap<QByteArray, QByteArray>& replies)
    {
        Instrument->SetRule([replies](const QByteArray& command) {
            return FakeReply(replies.value(command.startsWith('\n') ? command.mid(1) : command));
        });
    }

    // Chooses the menu entry; the step runs while the window is shown, then the window closes.
    void WhileShown(const char* entry, const std::function<void()>& step)
    {
        ModalScript script(*InstrumentSettingForm);
        script.Then([step](QDialog& window) {
            step();
            window.reject();
        });
        MainEntry(entry)->trigger();
        EXPECT_EQ(script.Showings(), 1);
    }

    template <class Control = QWidget>
    Control* Window(const char* name) const { return Child<Control>(*InstrumentSettingForm, name); }
    void Click(const char* button) const { QTest::mouseClick(Window<QPushButton>(button), Qt::LeftButton); }
    QString SettingsText() const { return Window<QPlainTextEdit>("reInstrumentSettingFile")->toPlainText(); }
    QString RestoreText() const { return Window<QPlainTextEdit>("reInstrumentRestoreFile")->toPlainText(); }
    QString StatusText(int panel) const { return Window<TStatusBar>("StatusBar1")->PanelText(panel); }
    QString Label(const char* name) const { return Window<QLabel>(name)->text(); }

    QString WriteFile(const char* name, const QByteArray& contents) const
    {
        const QString path = InstallPath() + QLatin1Char('/') + QString::fromLatin1(name);
        EXPECT_TRUE(WriteWholeFile(path, contents));
        return path;
    }

    // Every message has the title and the error icon; their texts.
    QStringList MessageTexts(const QString& title) const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages) {
            EXPECT_EQ(std::tuple(message.Title, message.Icon), std::tuple(title, platform::MessageIcon::Error));
            texts << message.Text;
        }
        return texts;
    }

    // Everything a showing sets, and where the window stands.
    QStringList WindowState() const
    {
        const QPoint at = InstrumentSettingForm->pos();
        return {SettingsText(), RestoreText(), StatusText(0), StatusText(1), Label("lblDownloadProgress"),
                QString::number(Window<QProgressBar>("pbDownloadProgress")->value()),
                QStringLiteral("%1,%2").arg(at.x()).arg(at.y())};
    }

    // The instrument heard these bytes and nothing else.
    void ExpectWire(const QByteArray& bytes) const
    {
        EXPECT_TRUE(Instrument->WaitForBytes(static_cast<int>(bytes.size())));
        EXPECT_EQ(Instrument->Received(), bytes);
    }
};

TEST_F(SettingsTransfer, TheExchangeResendsReadsAndReportsByItsModeAndNothingReachesTheTerminal)
{
    struct Row { int Mode; QList<FakeReply> Replies; QByteArray Wire; QString Returned; QStringList Messages; };
    const QString reported = QStringLiteral("Serial Write resulted in an error response: \r\n ?%1 from command C");
    const Row rows[] = {
        {1, {"xokx\r\n"}, "C\r\n", "xokx\r\n", {}},
        {1, {FakeReply("OK", 300)}, "C\r\n", "OK", {}},
        {1, {"?2", "?2", "?2"}, "C\r\nC\rC\r", "?2", {reported.arg(2)}},
        {1, {"?E5", "?E5", "?E5"}, "C\r\nC\rC\r", "?E5", {}},
        {1, {"Ok", "OK", "Ok"}, "C\r\nC\rC\r", "Ok", {}},
        {3, {"?3?4"}, "C\r\n", "?3?4", {}},
        {3, {"?15\r\n"}, "C\r\n", "?15\r\n", {reported.arg(1)}},
        {3, {FakeReply(), FakeReply(), "V\r\n"}, "C\r\nC\rC\r", "V\r\n", {}},
    };
    MainEntry("EnableLog1")->trigger();
    WhileShown("DownloadSettings1", [&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.Returned.toStdString());
            Instrument->ClearReceived();
            Ui.Messages.clear();
            AnswerInTurn(row.Replies);
            EXPECT_EQ(InstrumentSettingForm->SendInstrumentCommand(QStringLiteral("C"), row.Mode), row.Returned);
            ExpectWire(row.Wire);
            EXPECT_EQ(MessageTexts(QStringLiteral("Error Reponse Received")), row.Messages);
        }
    });
    EXPECT_EQ(std::tuple(Pane()->toPlainText(), LogLines(), CommLogForm->CommErrorCount),
              std::tuple(QString(), QStringList(), std::array<int, 10>{}));
}

TEST_F(SettingsTransfer, AClosedPortIsReopenedByItsStoredNameAtNoParityEightBitsOneStopBit)
{
    WhileShown("UploadSettings1", [&] {
        CSerialPort& port = *CommTermForm->CommPort;
        port.SetCommPortProperties(QStringLiteral("9600"), QStringLiteral("0"), QStringLiteral("8"),
                                   QStringLiteral("2"));
        port.CloseCommPort();
        port.BaudRateText = QStringLiteral("19200");
        AnswerInTurn({"OK"});
        InstrumentSettingForm->SendInstrumentCommand(QStringLiteral("C"), 1);
        EXPECT_TRUE(port.IsCommPortOpen());
        ExpectWire("C\r\n");
        const termios line = Instrument->SlaveTermios();
        EXPECT_EQ(std::tuple(cfgetospeed(&line), line.c_cflag & (CSTOPB | PARENB | CSIZE), Ui.Messages.size()),
                  std::tuple(speed_t(B19200), tcflag_t{CS8}, 0u));

        // A port that does not reopen: the write is reported once, nothing is
        // resent, the reply is empty.
        port.CloseCommPort();
        port.PortName = QStringLiteral("COM9");
        EXPECT_EQ(InstrumentSettingForm->SendInstrumentCommand(QStringLiteral("C"), 3), "");
        EXPECT_EQ(MessageTexts(QStringLiteral("Serial Write Failure")),
                  QStringList{QStringLiteral("Serial Write Failed writing: C")});
    });
}

TEST_F(SettingsTransfer, BothEntriesOpenTheFreshWindowHoldingThePortWithNoWorkerAndOnlyWithAnOpenPort)
{
    for (const char* entry : {"DownloadSettings1", "UploadSettings1"}) {
        ASSERT_NE(CycleThread, nullptr);
        Instrument->Send("UNASKED");
        WhileShown(entry, [&] {
            EXPECT_EQ(std::tuple(CycleThread, CommTermForm->PortBusy.load(), CommandBox()->isEnabled()),
                      std::tuple(nullptr, true, true));
            ASSERT_TRUE(QTest::qWaitFor([] { return !CommTermForm->CommPort->RxQueueEmpty(); }));
            CommTermForm->DelayTimerTimer();
            EXPECT_FALSE(CommTermForm->CommPort->RxQueueEmpty()) << "the poll leaves the port alone";
            EXPECT_EQ(QStringList({StatusText(0), StatusText(1), Label("lblDownloadProgress"),
                                   Label("lblUploadProgress"), SettingsText()}),
                      QStringList({"Action:", "Filename:", "0%", "0%", ""}));
            Click("cmdUpload");
        });
        EXPECT_NE(CycleThread, nullptr) << entry;
        EXPECT_FALSE(CommTermForm->PortBusy);
        EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    }

    CommTermForm->CommPort->CloseCommPort();
    const TCommCycleThread* worker = CycleThread;
    ModalScript script(*InstrumentSettingForm);
    MainEntry("DownloadSettings1")->trigger();
    MainEntry("UploadSettings1")->trigger();
    EXPECT_EQ(std::tuple(script.Showings(), CycleThread, CommTermForm->PortBusy.load()),
              std::tuple(0, worker, false));
}

// Opened while a cycle or a command file waits between its commands: the
// run ends there, as at the close. No worker is left to send into the window,
// nothing more of the run goes out, then or after the window has closed, and
// the main window is left as at the end of a run.
TEST_F(SettingsTransfer, OpeningTheWindowDuringARunEndsItWithNothingMoreOfItSent)
{
    AnswerEveryCommand("OK");
    for (const char* string : {"1", "2", "3"}) {
        MainControl<QLineEdit>(qPrintable(QStringLiteral("edString") + string))->setText(QString("CYCLE") + string);
        MainControl<QCheckBox>(qPrintable(QStringLiteral("cbCycleString") + string))->setChecked(true);
    }
    MainControl<QLineEdit>("leCycleCount")->setText(QStringLiteral("0"));
    MainControl<QLineEdit>("leCommandDelay")->setText(QStringLiteral("500"));
    const QString file = QStringLiteral("FILE1\nFILE2\nFILE3");
    struct Row { const char* Run; QByteArray First; QString Pane; };
    const Row rows[] = {{"cycle", "CYCLE1", QString()}, {"command file", "FILE1", file}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Run);
        if (!row.Pane.isEmpty()) {
            MainEntry("ViewCommandFileWindow1")->trigger();
            FilePane()->setPlainText(row.Pane);
        }
        Instrument->ClearReceived();
        QTest::mouseClick(MainControl<QPushButton>("cmdStartCycle"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Instrument->Commands().contains(row.First); }));
        WhileShown("DownloadSettings1", [&] {
            EXPECT_EQ(std::tuple(TCommCycleThread::LiveWorkers(), CycleThread), std::tuple(0, nullptr));
            EXPECT_EQ(InstrumentSettingForm->SendInstrumentCommand(QStringLiteral("Q?"), 3), "OK");
            ExpectWire(row.First + "\r\nQ?\r\n");
        });
        ASSERT_NE(CycleThread, nullptr);
        EXPECT_EQ(std::tuple(CycleThread->RunCycle.load(), CycleThread->RunFile.load(),
                             CommTermForm->WorkerSendsRefused, MainControl<QPushButton>("cmdStartCycle")->text()),
                  std::tuple(false, false, false, QStringLiteral("&START")));
        EXPECT_EQ(FilePane()->toPlainText(), row.Pane);
        Send(QStringLiteral("TYPED"));
        ExpectWire(row.First + "\r\nQ?\r\nTYPED\r\n");
    }
}

// A query file that cannot be read ends the download in the error box, before
// any command or the save dialog.
TEST_F(SettingsTransfer, ADownloadReadsPlainAndWordProcessorQueryFilesAlikeAndSavesTheRestoreFile)
{
    // A label in the code page: its byte in a plain file, its escape or symbol word in rich text.
    const QByteArray plain = "// Laser\r\nOperator\x92s power,:POW?\r\n/*\r\nMode,#:MODE 1\r\n*/\r\n"
                             "Serial,:SYST:SERN?\r\n";
    const QByteArray rich = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 "
                            "Calibri;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\sa200"
                            "\\sl276\\slmult1\\f0\\fs22\\lang9 // Laser\\par\r\n"
                            "Operator\\'92s power,:POW?\\par\r\n/*\\par\r\n"
                            "Mode,#:MODE 1\\par\r\n*/\\par\r\nSerial,:SYST:SERN?\\par\r\n}\r\n";
    // Lines that end at a page and a section break, as Word writes them.
    const QByteArray word = R"({\rtf1\ansi\ansicpg1252\uc1\deff0{\fonttbl{\f0\froman\fcharset0 Times New Roman;}})" "\n"
                            R"({\info{\author Operator}}\pard\plain {\insrsid1 // Laser\rquote s settings\par })"
                            R"({\insrsid1 Operator\rquote s power,:POW?})" "\n"
                            R"({\insrsid1 \page }{\insrsid1 /*\par Mode,#:MODE 1\sect }\sectd )"
                            R"({\insrsid1 */\par Serial,:SYST:SERN?\par }})";
    AnswerByCommand({{":POW?", "5\r\n"}, {":MODE 1", "OK\r\n"}, {":SYST:SERN?", "SN 123\r\n"}});
    for (const QByteArray& contents : {plain, rich, word}) {
        Ui.FileDialogs.clear();
        Instrument->ClearReceived();
        const QString query = WriteFile("laser.iqf", contents);
        Ui.AnswerFileDialog(query);
        Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/laser"));
        WhileShown("DownloadSettings1", [&] {
            Click("cmdDownload");
            EXPECT_EQ(SettingsText(), QStringLiteral("Operator\u2019s power,5\nSerial,SN 123"));
            EXPECT_EQ(QStringList({StatusText(0), StatusText(1), Label("lblDownloadProgress")}),
                      QStringList({"Action: Done", "Filename: " + query, "100% Complete"}));
            EXPECT_EQ(Window<QProgressBar>("pbDownloadProgress")->value(), 100);
        });
        EXPECT_EQ(ReadWholeFile(InstallPath() + QStringLiteral("/laser.irf")),
                  "Operator\x92s power,:POW 5\r\nSerial,*SER 123\r\nMode,:MODE 1\r\n");
        ExpectWire(":POW?\r\n:MODE 1\r\n:SYST:SERN?\r\n");
        ASSERT_EQ(Ui.FileDialogs.size(), 2u);
        const platform::FileDialogRequest& open = Ui.FileDialogs[0].Request;
        const platform::FileDialogRequest& save = Ui.FileDialogs[1].Request;
        EXPECT_EQ(std::tuple(open.Title, open.Filter, open.CreatePrompt, open.OverwritePrompt),
                  std::tuple(QStringLiteral("Open Insturment Settings Query File"),
                             QStringLiteral("Text File (*.iqf)|*.iqf|All Files (*.*)|*.*"), true, false));
        EXPECT_EQ(std::tuple(save.Title, save.Filter, save.DefaultExt, save.OverwritePrompt, save.FileName),
                  std::tuple(QStringLiteral("Save Instrument Restore File"),
                             QStringLiteral("Text File (*.irf)|*.irf|All Files (*.*)|*.*"), QStringLiteral(".irf"),
                             true, QString()));
    }

    Instrument->ClearReceived();
    Ui.FileDialogs.clear();
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/missing.iqf"));
    WhileShown("DownloadSettings1", [&] { Click("cmdDownload"); });
    EXPECT_EQ(Heads(Ui.Exceptions), QStringList{"Cannot open file"});
    EXPECT_EQ(std::tuple(Ui.FileDialogs.size(), Instrument->Received()), std::tuple(1u, QByteArray()));
}

// The restore file's name, wider than the window, is cut at its status
// panel's edge: neither the panels nor the window move or grow.
TEST_F(SettingsTransfer, AnUploadSendsTheRestoreFileAndCancelSendsNothing)
{
    AnswerByCommand({{":POW 5", "OK"}, {":MODE", "OK"}});
    const QString restore = WriteFile(QByteArray(200, 'n').append(".irf").constData(),
                                      "Power,:POW 5\r\n// Mode,:MODE 2\r\nMode,:MODE\r\n");
    Ui.AnswerFileDialog(restore);
    Ui.CancelFileDialog();
    const auto bounds = [this] {
        SettleLayouts();
        return std::tuple(InstrumentSettingForm->frameGeometry(), PanelPlaces(*Window<TStatusBar>("StatusBar1")));
    };
    WhileShown("UploadSettings1", [&] {
        const auto designed = bounds();
        Click("cmdUpload");
        EXPECT_EQ(bounds(), designed);
        EXPECT_EQ(std::tuple(SettingsText(), Label("lblUploadProgress")),
                  std::tuple(QString("Power,5\nMode,:MODE"), QString("100% Complete")));
        ExpectWire(":POW 5\r\n:MODE\r\n");

        Instrument->ClearReceived();
        Click("cmdUpload");
        EXPECT_EQ(QStringList({SettingsText(), StatusText(0), StatusText(1)}),
                  QStringList({"", "Action: Done", "Filename: " + restore}));
    });
    EXPECT_EQ(Ui.FileDialogs[0].Request.Title, "Open Instrument Restore Settings File");
    EXPECT_TRUE(Instrument->Received().isEmpty());
}

// Bytes 0x80 to 0x9F are the code page's curly quotes and euro sign, not
// control characters: a value holding them shows as those characters, is
// saved as the bytes the instrument sent and goes back as those bytes.
TEST_F(SettingsTransfer, ACodePageValueGoesBackToTheInstrumentAsTheBytesItSent)
{
    const QByteArray value = "\x93" "5\x80\x94";
    AnswerByCommand({{":NAME?", value + "\r\n"}, {":NAME " + value, "OK"}});
    Ui.AnswerFileDialog(WriteFile("name.iqf", "Name,:NAME?\r\n"));
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/name"));
    Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/name.irf"));
    QStringList shown;
    WhileShown("DownloadSettings1", [&] {
        Click("cmdDownload");
        shown << SettingsText();
        Click("cmdUpload");
        shown << SettingsText();
    });
    EXPECT_EQ(shown, QStringList(2, QStringLiteral("Name,\u201C5\u20AC\u201D")));
    EXPECT_EQ(ReadWholeFile(InstallPath() + QStringLiteral("/name.irf")), "Name,:NAME " + value + "\r\n");
    ExpectWire(":NAME?\r\n:NAME " + value + "\r\n");
    EXPECT_TRUE(Ui.Messages.empty());
}

TEST_F(SettingsTransfer, TheSettingsArePrintedAndSavedWithoutAPromptAndAFailedSaveLeavesNothingBehind)
{
    const QString folder = InstallPath() + QStringLiteral("/saves");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/taken.csv")));
    const QString saved = WriteFile("saves/old.csv", QByteArray(100, 'x'));
    Ui.AnswerFileDialog(saved);
    Ui.AnswerFileDialog(folder + QStringLiteral("/taken"));
    WhileShown("DownloadSettings1", [&] {
        Window<QAction>("Print1")->trigger();
        Window<QPlainTextEdit>("reInstrumentSettingFile")->setPlainText(QStringLiteral("A,1\nB,\u00E9"));
        Window<QAction>("SavetoFile1")->trigger();
        Window<QAction>("SavetoFile1")->trigger();
    });
    ASSERT_EQ(Ui.PrintJobs.size(), 1u);
    EXPECT_EQ(std::tuple(Ui.PrintJobs[0].Title, Ui.PrintJobs[0].Text),
              std::tuple(QString("Communications Terminal"), QString()));
    EXPECT_EQ(ReadWholeFile(saved), "A,1\r\nB,\xe9\r\n");
    const platform::FileDialogRequest& request = Ui.FileDialogs[0].Request;
    EXPECT_EQ(std::tuple(request.Title, request.Filter, request.DefaultExt, request.OverwritePrompt),
              std::tuple(QStringLiteral("Save Instrument Settings File"),
                         QStringLiteral("Text File (*.csv)|*.csv|All Files (*.*)|*.*"), QStringLiteral(".csv"), false));
    EXPECT_EQ(std::tuple(Ui.Exceptions.size(), QDir(folder).entryList(QDir::Files)),
              std::tuple(1u, QStringList({"old.csv"})));
}

// As a user does it from the task bar, while the window is shown.
void MinimiseAndRestore()
{
    InstrumentSettingForm->setWindowState(Qt::WindowMinimized);
    InstrumentSettingForm->setWindowState(Qt::WindowNoState);
}

// A user who does it while the restore file's save dialog waits for a name.
class RestoredDuringTheSave : public TestServices
{
public:
    std::optional<QString> SaveFileName(QWidget* parent, const platform::FileDialogRequest& request) override
    {
        MinimiseAndRestore();
        return TestServices::SaveFileName(parent, request);
    }
};

// Only the menu entry starts a showing afresh. Brought back from minimised
// during the save dialog or after the download, the window keeps what the
// download left in it and its place, and the restore file is written.
TEST_F(SettingsTransfer, RestoredFromMinimisedTheWindowKeepsItsDownloadOnlyTheMenuEntryStartsAfresh)
{
    AnswerByCommand({{":POW?", "5\r\n"}, {":MODE?", "2\r\n"}});
    RestoredDuringTheSave ui;
    const ScopedServices installed(ui);
    ui.AnswerFileDialog(WriteFile("laser.iqf", "Power,:POW?\r\n/*\r\nMode,:MODE?\r\n*/\r\n"));
    ui.AnswerFileDialog(InstallPath() + QStringLiteral("/laser"));
    WhileShown("DownloadSettings1", [&] {
        Click("cmdDownload");
        InstrumentSettingForm->move(InstrumentSettingForm->pos() + QPoint(7, 5));
        const QStringList downloaded = WindowState();
        EXPECT_EQ(downloaded.mid(0, 4), QStringList({"Power,5\nMode,2", "Power,:POW 5\nMode,:MODE 2", "Action: Done",
                                                     "Filename: " + InstallPath() + "/laser.iqf"}));
        MinimiseAndRestore();
        EXPECT_EQ(WindowState(), downloaded);
    });
    EXPECT_EQ(ReadWholeFile(InstallPath() + QStringLiteral("/laser.irf")), "Power,:POW 5\r\nMode,:MODE 2\r\n");
    WhileShown("UploadSettings1", [&] {
        EXPECT_EQ(WindowState().mid(0, 6), QStringList({"", "", "Action:", "Filename:", "0%", "0"}));
    });
    EXPECT_TRUE(ui.Exceptions.empty());
}

// The settings window and the port properties dialog, centred on the main
// window wherever it stands, and moved no more than they must to lie wholly
// within the screen (800 x 800 on the offscreen platform; the settings
// window's frame is 730 x 392, the main window's 611 x 792).
TEST_F(SettingsTransfer, WindowsCentredOnTheMainWindowOpenWhollyOnTheScreen)
{
    const std::pair<QPoint, QPoint> rows[] = {{{95, 4}, {36, 204}}, {{0, 0}, {0, 200}}};
    const QRect area = CommTermForm->screen()->availableGeometry();
    for (const auto& [mainAt, settingsAt] : rows) {
        CommTermForm->move(mainAt);
        WhileShown("DownloadSettings1", [&] {
            const QRect frame = InstrumentSettingForm->frameGeometry();
            EXPECT_EQ(frame.topLeft(), settingsAt) << mainAt.x() << ',' << mainAt.y();
            EXPECT_TRUE(area.contains(frame)) << mainAt.x() << ',' << mainAt.y();
        });
    }

    // The port properties dialog (frame 380 x 387, as wide as its notes at the
    // test's font), centred on its owner by the same rule.
    const std::pair<QPoint, QPoint> properties[] = {{{95, 4}, {211, 206}}, {{-300, -500}, {0, 0}}};
    for (const auto& [mainAt, dialogAt] : properties) {
        CommTermForm->move(mainAt);
        QRect frame;
        ModalScript script(*CommSettingForm);
        script.Then([&frame](QDialog& dialog) {
            frame = dialog.frameGeometry();
            dialog.reject();
        });
        MainEntry("CommProperties1")->trigger();
        EXPECT_EQ(std::tuple(script.Showings(), frame.topLeft()), std::tuple(1, dialogAt)) << mainAt.x();
        EXPECT_TRUE(area.contains(frame)) << mainAt.x();
    }
}

// Rows: the name of a file that does not exist, typed into an open dialog,
// and the answer to the create prompt. Yes takes it and the load reports the
// file it cannot open, which ends the click with its action still shown; no
// shows the dialog again with that name, and its Cancel loads nothing.
TEST_F(SettingsTransfer, TheOpenDialogsTakeANewNameOnlyWhenTheUserAgreesToCreateIt)
{
    struct Row { const char* Button; bool Create; QString Title; const char* Extension; QStringList Exceptions;
                 QString Action; };
    const Row rows[] = {
        {"cmdDownload", true, "Open Insturment Settings Query File", "iqf", {"Cannot open file"},
         "Action: Downloading..."},
        {"cmdUpload", true, "Open Instrument Restore Settings File", "irf", {"Cannot open file"},
         "Action: UPloading..."},
        {"cmdUpload", false, "Open Instrument Restore Settings File", "irf", {}, "Action: Done"},
    };
    const QString missing = InstallPath() + QStringLiteral("/new.iqf");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.Button) + (row.Create ? " yes" : " no"));
        Ui.FileDialogs.clear();
        Ui.Exceptions.clear();
        Ui.CreatePrompts.clear();
        Ui.FileAnswers = {missing, std::nullopt};
        Ui.AnswerCreatePrompt(row.Create);
        QString action;
        WhileShown("DownloadSettings1", [&] {
            Click(row.Button);
            action = StatusText(0);
        });
        const platform::FileDialogRequest& open = Ui.FileDialogs.at(0).Request;
        EXPECT_EQ(std::tuple(open.Title, open.Filter, open.CreatePrompt),
                  std::tuple(row.Title, QStringLiteral("Text File (*.%1)|*.%1|All Files (*.*)|*.*").arg(row.Extension),
                             true));
        QStringList shownAgainWith;
        for (std::size_t index = 1; index < Ui.FileDialogs.size(); ++index)
            shownAgainWith << Ui.FileDialogs[index].Request.FileName;
        EXPECT_EQ(std::tuple(Heads(Ui.Exceptions), Ui.CreatePrompts, shownAgainWith, action),
                  std::tuple(row.Exceptions, std::vector<QString>{missing},
                             row.Create ? QStringList() : QStringList{missing}, row.Action));
        EXPECT_TRUE(Instrument->Received().isEmpty());
    }
}

// A transfer of twenty lines whose adapter is pulled before it starts, or as
// a command arrives, which then gets no reply.
struct PulledCase
{
    const char* Name;
    const char* Button;
    int PulledAt;      // the command that pulls it; 0: before the click
    QByteArray Reply;  // to each command before the pull
    QByteArray Wire;
    QString Settings;
    const char* Bar;
    const char* Label;
    int Percent;
    QString Command;  // the one whose write failed
};

void PrintTo(const PulledCase& c, std::ostream* out)
{
    *out << c.Name;
}

// Each button's file of twenty lines, its commands on the wire and the
// settings they show when every one of them is answered.
struct TwentyLines
{
    const char* File;
    const char* Line;     // %1: the line's number, from 1
    const char* Command;  // %1 as in Line
    const char* Setting;
};

const TwentyLines& LinesFor(std::string_view button)
{
    static const TwentyLines download{"walk.iqf", "L%1,:Q%1?", ":Q%1?", "L%1,5"};
    static const TwentyLines upload{"walk.irf", "L%1,:S%1 %1", ":S%1 %1", "L%1,%1"};
    return button == "cmdDownload" ? download : upload;
}

QByteArray Numbered(const char* pattern, const char* separator)
{
    QStringList lines;
    for (int number = 1; number <= 20; ++number)
        lines << QString::fromLatin1(pattern).arg(number);
    return lines.join(QLatin1String(separator)).toLatin1();
}

class PulledAdapter : public SettingsTransfer, public ::testing::WithParamInterface<PulledCase>
{
protected:
    void PullAtCommand(int pulledAt, const QByteArray& reply)
    {
        if (pulledAt == 0) {
            Instrument->Pull();
            return;
        }
        auto heard = std::make_shared<std::atomic<int>>(0);
        FakeInstrument* instrument = Instrument.get();
        Instrument->SetRule([=](const QByteArray&) {
            if (++*heard < pulledAt)
                return FakeReply(reply);
            instrument->Pull();
            return FakeReply();
        });
    }

    // The button's walk over its twenty lines; a download's restore file is saved as "again".
    void WalkTwentyLines(const char* button)
    {
        const TwentyLines& walk = LinesFor(button);
        Ui.FileAnswers.clear();
        Ui.AnswerFileDialog(WriteFile(walk.File, Numbered(walk.Line, "\r\n")));
        Ui.AnswerFileDialog(InstallPath() + QStringLiteral("/again"));
        Click(button);
    }
};

// The transfer ends at its first write that fails, after that one box: no
// resend, no further line; what was read stays, neither the action nor the
// bar says the transfer completed and no restore file is offered. With the
// adapter plugged in again, the next Download and the next Upload in the
// same window reopen the port by its name and run whole, with nothing left of
// the failed one. The window then closes as any other time, handing the port
// back to the main window.
TEST_P(PulledAdapter, ATransferEndsAtItsFirstFailedWriteAndTheNextOnesRunWholeOnceTheAdapterIsBack)
{
    const PulledCase& c = GetParam();
    QStringList shown;
    QByteArray wire;
    std::size_t dialogs = 0;
    bool saved = false;
    QStringList again;
    WhileShown("DownloadSettings1", [&] {
        PullAtCommand(c.PulledAt, c.Reply);
        WalkTwentyLines(c.Button);
        shown = {SettingsText(), StatusText(0), Label(c.Label), QString::number(Window<QProgressBar>(c.Bar)->value())};
        std::tie(wire, dialogs, saved) = std::tuple(Instrument->Received(), Ui.FileDialogs.size(),
                                                    QFile::exists(InstallPath() + QStringLiteral("/again.irf")));
        Instrument->Plug();
        Instrument->SetRule([](const QByteArray& command) {
            return FakeReply(command.endsWith('?') ? "5\r\n" : "OK");
        });
        for (const char* button : {"cmdDownload", "cmdUpload"}) {
            Instrument->ClearReceived();
            WalkTwentyLines(button);
            ExpectWire(Numbered(LinesFor(button).Command, "\r\n") + "\r\n");
            again << SettingsText() << StatusText(0);
        }
    });
    const QString percent = QString::number(c.Percent);
    EXPECT_EQ(shown, (QStringList{c.Settings, "Action:", percent + "% Complete", percent}));
    EXPECT_EQ(std::tuple(wire, dialogs, saved), std::tuple(c.Wire, 1u, false));
    EXPECT_EQ(again, (QStringList{QString(Numbered(LinesFor("cmdDownload").Setting, "\n")), "Action: Done",
                                  QString(Numbered(LinesFor("cmdUpload").Setting, "\n")), "Action: Done"}));
    EXPECT_EQ(MessageTexts(QStringLiteral("Serial Write Failure")),
              QStringList{QStringLiteral("Serial Write Failed writing: ") + c.Command});
    EXPECT_EQ(std::tuple(CommTermForm->PortBusy.load(), CycleThread != nullptr), std::tuple(false, true));
}

// Closed once the adapter is back, the window hands the port back open: the
// Tools entries, which need an open port, show the window again at once.
TEST_P(PulledAdapter, AWindowClosedOnceTheAdapterIsBackHandsThePortBackOpen)
{
    const PulledCase& c = GetParam();
    WhileShown("DownloadSettings1", [&] {
        PullAtCommand(c.PulledAt, c.Reply);
        WalkTwentyLines(c.Button);
        Instrument->Plug();
    });
    EXPECT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    WhileShown("UploadSettings1", [] {});
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, PulledAdapter,
    ::testing::Values(
        PulledCase{"Download", "cmdDownload", 3, "5\r\n", ":Q1?\r\n:Q2?\r\n:Q3?\r\n", "L1,5\nL2,5",
                   "pbDownloadProgress", "lblDownloadProgress", 3, ":Q3?"},
        PulledCase{"Upload", "cmdUpload", 3, "OK", ":S1 1\r\n:S2 2\r\n:S3 3\r\n", "L1,1\nL2,2", "pbUploadProgress",
                   "lblUploadProgress", 3, ":S3 3"},
        PulledCase{"DownloadPulledBefore", "cmdDownload", 0, "", "", "", "pbDownloadProgress", "lblDownloadProgress",
                   1, ":Q1?"},
        PulledCase{"UploadPulledBefore", "cmdUpload", 0, "", "", "", "pbUploadProgress", "lblUploadProgress", 1,
                   ":S1 1"}),
    [](const ::testing::TestParamInfo<PulledCase>& info) { return std::string(info.param.Name); });

} // namespace
