#include "terminal/Main.h"

#include "panels/DravikControl.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/ControlEvents.h"
#include "platform/EditActions.h"
#include "platform/EventGuard.h"
#include "platform/HandOver.h"
#include "platform/ListSelection.h"
#include "platform/MenuShortcuts.h"
#include "platform/Painting.h"
#include "platform/WindowShowing.h"
#include "terminal/VerInfo.h"
#include "terminal/commcyclethread.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QSplitterHandle>
#include <QStyle>
#include <QTimer>

#include <utility>

TCommTermForm* CommTermForm = nullptr;

namespace {

constexpr int PollInterval = 500;

} // namespace

TCommTermForm::TCommTermForm(QWidget* parent)
    : QMainWindow(parent)
{
    setupUi(this);
    DelayTimer = new QTimer(this);
    Splitter1 = splCommunications->handle(1);
    Controls1->menuAction()->setVisible(false);
    // The layout shows the group box's placeholder text with no group chosen.
    cboCommandGroup->setCurrentIndex(-1);
    cboCommandGroup->setEditText(QStringLiteral("Group Name"));
    ShowSendButtonGlyphs();
    PaintLayoutColours();
    new platform::MenuShortcuts(*this, *MainMenu1);
    ConnectMenu();
    ConnectControls();
    ConnectCommandGroups();
    ConnectSendRoad();
    ConnectUnsolicitedInput();
    ConnectCommandFiles();
}

// A worker may still be inside a run that reaches this window's controls;
// none may find the window gone. The port object goes with the window, and
// the port with it.
TCommTermForm::~TCommTermForm()
{
    CloseBegun = true;
    EndWorker();
    ReleasePort();
}

void TCommTermForm::ShowSendButtonGlyphs()
{
    const QIcon glyph = style()->standardIcon(QStyle::SP_ArrowRight);
    for (QPushButton* button : {bbSendString1, bbSendString2, bbSendString3, bbSendString4, bbSendString5})
        button->setIcon(glyph);
}

void TCommTermForm::PaintLayoutColours()
{
    platform::PaintPanel(*gbCommDevice, QColor(0, 0, 128));
    platform::PaintPanel(*gbInputFile, QColor(128, 0, 0));
}

void TCommTermForm::ConnectMenu()
{
    using Handler = void (TCommTermForm::*)();
    const std::pair<QAction*, Handler> entries[] = {
        {LoadCommandFile1, &TCommTermForm::LoadCommandFile1Click},
        {CloseCommandFile1, &TCommTermForm::CloseCommandFile1Click},
        {Exit1, &TCommTermForm::Exit1Click},
        {ViewCommandFileWindow1, &TCommTermForm::ViewCommandFileWindow1Click},
        {HideCommandFileWindow1, &TCommTermForm::HideCommandFileWindow1Click},
        {ClearOutgoingandIncommingWindow1, &TCommTermForm::ClearOutgoingandIncommingWindow1Click},
        {ClearCommandFile1, &TCommTermForm::ClearCommandFile1Click},
        {SendCommandField1, &TCommTermForm::SendCommandField1Click},
        {CommonCommandString11, &TCommTermForm::CommonCommandString11Click},
        {CommonCommandString21, &TCommTermForm::CommonCommandString21Click},
        {CommonCommandString31, &TCommTermForm::CommonCommandString31Click},
        {CommonCommandString41, &TCommTermForm::CommonCommandString41Click},
        {CommonCommandString51, &TCommTermForm::CommonCommandString51Click},
        {StartCycle1, &TCommTermForm::StartCycle1Click},
        {StopCycle1, &TCommTermForm::StopCycle1Click},
        {DownloadSettings1, &TCommTermForm::DownloadSettings1Click},
        {UploadSettings1, &TCommTermForm::UploadSettings1Click},
        {GRNIRControl1, &TCommTermForm::GRNIRControl1Click},
        {OrvaneSystem1, &TCommTermForm::OrvaneSystem1Click},
        {HideCommTerminal1, &TCommTermForm::HideCommTerminal1Click},
        {ShowCommTerminal1, &TCommTermForm::ShowCommTerminal1Click},
        {ResetCommandStrings1, &TCommTermForm::ResetCommandStrings1Click},
        {ResetCommandsSentCount1, &TCommTermForm::ResetCommandsSentCount1Click},
        {CommPortScan1, &TCommTermForm::CommPortScan1Click},
        {ViewLog2, &TCommTermForm::ViewLog2Click},
        {EnableLog1, &TCommTermForm::EnableLog1Click},
        {DisableLog1, &TCommTermForm::DisableLog1Click},
        {CommProperties1, &TCommTermForm::CommProperties1Click},
        {TimeStampEnable1, &TCommTermForm::TimeStampEnable1Click},
        {TimeStampDisable1, &TCommTermForm::TimeStampDisable1Click},
        {IncludeCommandSent1, &TCommTermForm::IncludeCommandSent1Click},
        {OmitCommandSent1, &TCommTermForm::OmitCommandSent1Click},
        {About1, &TCommTermForm::About1Click},
    };
    for (const auto& [entry, handler] : entries)
        platform::ConnectEntry(entry, this, handler);

    using platform::EditCommand;
    const std::pair<QAction*, EditCommand> editEntries[] = {
        {Cut1, EditCommand::Cut},
        {Copy1, EditCommand::Copy},
        {Paste1, EditCommand::Paste},
        {SelectAll1, EditCommand::SelectAll},
    };
    for (const auto& [entry, editCommand] : editEntries) {
        const EditCommand command = editCommand;
        connect(entry, &QAction::triggered, this, [command] { platform::EditFocusedControl(command); });
    }
}

void TCommTermForm::ConnectControls()
{
    connect(nbLaserSystem, &QStackedWidget::currentChanged, this,
            platform::Guarded([this] { nbLaserSystemPageChanged(); }));
    connect(cmdStopCycle, &QPushButton::clicked, this, platform::Guarded([this] { cmdStopCycleClick(); }));
    // Typed text never becomes a port item; only a listed port is selected.
    // The box's text names the port that the configuration file stores.
    cboCommTerminal->setInsertPolicy(QComboBox::NoInsert);
    platform::KeepOnOneLine(*cboCommTerminal->lineEdit());
    platform::OnListSelect(cboCommTerminal, [this] { cboCommTerminalSelect(); });
}

void TCommTermForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The window is first shown once per run; a restore from minimised shows it again.
    if (FirstShowDone)
        return;
    FirstShowDone = true;
    // A start-up that fails (a configuration file with a bad terminator) ends
    // in the exception box here, before the error can unwind through Qt.
    platform::RunGuarded([this] { FormShow(); });
}

void TCommTermForm::FormShow()
{
    ProgramTitle = QStringLiteral("Communications Terminal ");
    setWindowTitle(ProgramTitle + VersionInfo.GetFileVersion());
    TerminationString.clear();
    disablecontrols();
    TerminationChanged = false;
    SendDisplayBusy = false;
    ReplyDisplayBusy = false;
    Closing = false;
    PortBusy = false;
    CommandFileChanged = false;
    IncludeCommandSent = true;
    IncludeCommandSent1->setChecked(true);
    TimeStampEnabled = true;
    TimeStampEnable1->setChecked(true);
    sbSendStatus->SetPanelText(1, QStringLiteral("Commands Sent: 0"));
    CommandsSent = 0;
    CurrentGroup = -1;
    CommandIndex = 0;
    CommPort = std::make_unique<CSerialPort>();
    DelayTimer->stop();
    DelayTimer->setInterval(PollInterval);
    sbCommProperties->SetPanelText(0, QStringLiteral("Port: NONE"));
    sbCommProperties->SetPanelText(2, QString());
    ScanAndSetupPorts(true, CommPort->PortName);
}

void TCommTermForm::SetCommControlsEnabled(bool enabled)
{
    QWidget* const controls[] = {
        eSendCommand, reCommTerminal,
        bbSendString1, bbSendString2, bbSendString3, bbSendString4, bbSendString5,
        edString1, edString2, edString3, edString4, edString5,
        cbCycleString1, cbCycleString2, cbCycleString3, cbCycleString4, cbCycleString5,
        cmdStartCycle, cmdStopCycle,
        leCycleCount, leCycleDelay, leCurrentCycle, leCommandDelay,
    };
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void TCommTermForm::EnableCommActiveObjects()
{
    SetCommControlsEnabled(true);
}

void TCommTermForm::disablecontrols()
{
    cboCommTerminal->setEnabled(false);
    SetCommControlsEnabled(false);
    Splitter1->setEnabled(false);
    Splitter1->hide();
    gbInputFile->setEnabled(false);
    gbInputFile->hide();
    reInputFile->setEnabled(false);
}

void TCommTermForm::nbLaserSystemPageChanged()
{
    if (nbLaserSystem->currentIndex() == 0)
        Edit1->menuAction()->setVisible(true);
}

void TCommTermForm::ShowPanel(QWidget& panel)
{
    platform::BringToFront(panel);
    if (!ShowCommTerminal1->isChecked())
        setWindowState(windowState() | Qt::WindowMinimized);
}

void TCommTermForm::GRNIRControl1Click()
{
    ShowPanel(*TessalineControlForm);
}

void TCommTermForm::OrvaneSystem1Click()
{
    ShowPanel(*OrvaneControlForm);
}

void TCommTermForm::ShowCommTerminal1Click()
{
    ShowCommTerminal1->setChecked(true);
    HideCommTerminal1->setChecked(false);
}

void TCommTermForm::HideCommTerminal1Click()
{
    HideCommTerminal1->setChecked(true);
    ShowCommTerminal1->setChecked(false);
}

void TCommTermForm::DravikControl1Click()
{
    platform::BringToFront(*DravikControlForm);
}

// A close is refused while the worker runs a cycle or a command file: the run
// is stopped instead, and the user closes again.
bool TCommTermForm::StopActiveRun()
{
    if (CycleThread == nullptr || !(CycleThread->RunCycle || CycleThread->RunFile))
        return false;
    cmdStopCycleClick();
    return true;
}

void TCommTermForm::Exit1Click()
{
    if (StopActiveRun())
        return;
    close();
}

void TCommTermForm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose)
        return;
    FormClose();
    event->accept();
}

// A close that a run refuses asks nothing; the question about an unsaved
// command file comes before anything of the close happens, so that Cancel
// leaves the lasers and the files as they were.
void TCommTermForm::FormCloseQuery(bool& canClose)
{
    canClose = !StopActiveRun() && OfferToSaveCommandFile();
}

// From the start of the close no worker step runs, so nothing the worker
// still has to do can send or reach a window, also while a failed save shows
// its message. The panels let go of their lasers first, while the port and
// the send road are still there.
void TCommTermForm::FormClose()
{
    CloseBegun = true;
    ClosePanels();
    DelayTimer->stop();
    if (ConfigChanged)
        SaveConfigurationFile();
    EndWorker();
    ReleasePort();
    Closing = true;
    QCoreApplication::quit();
}

// Each panel still open closes as its own close does: its laser-off
// commands go out, its status timer stops and its file is written.
void TCommTermForm::ClosePanels()
{
    QWidget* const panels[] = {DravikControlForm, TessalineControlForm, OrvaneControlForm};
    for (QWidget* panel : panels) {
        if (panel != nullptr && panel->isVisible())
            panel->close();
    }
}

// Another program may take the port once the window has closed.
void TCommTermForm::ReleasePort()
{
    if (CommPort != nullptr && CommPort->IsCommPortOpen())
        CloseComm();
}

// Every sleep of a worker wakes on its terminate, so each one reaches its
// end at once: a cycle pass sends its remaining strings, unless the close has
// begun and every step is refused. The wait ends when the window holds no
// worker any more (a rescan may have given it up) or the held one has
// reported its end, and only then is the end of the others awaited. The loop
// never touches a worker: one that has reported may already be gone.
void TCommTermForm::EndWorker()
{
    if (CycleThread != nullptr) {
        CycleThread->ClearRunFlags();
        CycleThread->Terminate();
    }
    TCommCycleThread::TerminateAll();
    while (CycleThread != nullptr && !CycleThreadDone)
        platform::WaitTurn();
    CycleThread = nullptr;
    TCommCycleThread::WaitUntilAllEnded();
}
