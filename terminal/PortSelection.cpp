#include "terminal/Main.h"

#include "platform/Services.h"
#include "platform/WindowShowing.h"
#include "serial/CommSettings.h"
#include "terminal/commcyclethread.h"

#include <QTimer>

#include <utility>

namespace {

const QString NoPortStored = QStringLiteral("COMX");
const QString NoPortChosen = QStringLiteral("Comm Port");
const QString PortBoxLayoutText = QStringLiteral("COMM PORT");

// Where a port selection's new worker comes into being: running at once, its
// thread at the normal priority every new thread starts with here.
TCommCycleThread* NewCycleWorker()
{
    return new TCommCycleThread(false);
}

// The line-setting codes as the status bar shows them. A code outside its
// table (a hand-edited configuration file) adds nothing rather than reading
// past the table.
QString DataBitsText(std::int32_t code)
{
    switch (code) {
    case 1: return QStringLiteral("5");
    case 2: return QStringLiteral("6");
    case 4: return QStringLiteral("7");
    case 8: return QStringLiteral("8");
    default: return {};
    }
}

QString ParityText(std::int32_t code)
{
    static const char* const marks[] = {"-N-", "-O-", "-E-", "-M-", "-S-"};
    return code >= 0 && code < 5 ? QString::fromLatin1(marks[code]) : QString();
}

QString StopBitsText(std::int32_t code)
{
    static const char* const bits[] = {"1", "1.5", "2"};
    return code >= 0 && code < 3 ? QString::fromLatin1(bits[code]) : QString();
}

} // namespace

void TCommTermForm::ScanAndSetupPorts(bool load, QString name)
{
    if (!load) {
        ReplaceWorker();
        if (CommPort->IsCommPortOpen())
            CloseComm();
    }
    ClearCommPortBuff();
    CommPort->ScanCommPorts(CommPortBuff);
    LogEnabled = false;
    ResetCommErrorArray();
    InitializePortSelections(CommPortBuff);
    ResetWindowForScan();
    // The scan leaves the port object named after the last port it tried.
    if (load)
        LoadConfigurationFile();
    else
        CommPort->PortName = std::move(name);
    if (CommPort->IsCommPortOpen())
        CloseComm();
    ConfigChanged = false;
    cboCommTerminal->setEnabled(true);
    reCommTerminal->clear();
    ShowCurrentCommand();
    SelectStoredPort();
}

void TCommTermForm::ResetWindowForScan()
{
    Edit1->menuAction()->setVisible(false);
    EnableLog1->setChecked(false);
    DisableLog1->setChecked(true);
    nbLaserSystem->setCurrentIndex(0);
    leCycleCount->setText(QStringLiteral("1"));
    leCurrentCycle->setText(QStringLiteral("0"));
    leCycleDelay->setText(QStringLiteral("0"));
    leCommandDelay->setText(QStringLiteral("5"));
}

void TCommTermForm::SelectStoredPort()
{
    const QString name = CommPort->PortName;
    if (name.contains(NoPortStored)) {
        cboCommTerminal->setCurrentIndex(-1);
        cboCommTerminalSelect();
        cboCommTerminal->setEditText(NoPortChosen);
        return;
    }
    cboCommTerminal->setCurrentIndex(FindComboText(*cboCommTerminal, name));
    if (cboCommTerminal->currentIndex() >= 0) {
        cboCommTerminal->setEditText(name);
        cboCommTerminalSelect();
    } else {
        cboCommTerminalSelect();
        cboCommTerminal->setEditText(NoPortChosen);
    }
}

void TCommTermForm::ClearCommPortBuff()
{
    CommPortBuff.fill(0);
}

void TCommTermForm::InitializePortSelections(const CommPortFlags& flags)
{
    for (std::size_t number = 1; number < flags.size(); ++number) {
        if (flags[number] != 0)
            cboCommTerminal->addItem(QStringLiteral("COM%1").arg(number));
    }
    cboCommTerminal->setCurrentIndex(-1);
}

int TCommTermForm::FindComboText(const QComboBox& box, const QString& text)
{
    for (int index = 0; index < box.count(); ++index) {
        if (box.itemText(index).compare(text, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

void TCommTermForm::cboCommTerminalSelect()
{
    if (Closing)
        return;
    if (cboCommTerminal->currentIndex() < 0) {
        ErrorCommPortnotSelected();
        cboCommTerminal->setEditText(NoPortChosen);
        return;
    }
    DoThis();
    if (CommPort->IsCommPortOpen())
        ConfigureReopenedPort();
    else
        ConfigureUnopenedPort();
    StartWorker();
    DelayTimer->start();
    ShowCurrentCommand();
}

void TCommTermForm::DoThis()
{
    OpenPortForSetUp();
    PrepareSettingsDialog();
    ApplyPortProperties();
    StartWorker();
}

void TCommTermForm::OpenPortForSetUp()
{
    if (!CommPort->IsCommPortOpen())
        CommPort->OpenCommPort(cboCommTerminal->currentText());
    ReplaceWorker();
    EnableCommActiveObjects();
}

// The dialog is renamed after the port and shows the terminator in force;
// putting the text in raises the edit's change, which is no user edit.
void TCommTermForm::PrepareSettingsDialog()
{
    CommSettingForm->setWindowTitle(cboCommTerminal->currentText() + QStringLiteral(" Properties"));
    CommSettingForm->leTerminationString->setText(TerminationString);
    TerminationChanged = false;
}

// The port opened: it is closed and opened again under the box's name and
// configured from the port object, with the short read time-out.
void TCommTermForm::ConfigureReopenedPort()
{
    ReplaceWorker();
    EnableCommActiveObjects();
    CommPort->CloseCommPort();
    const QString portName = cboCommTerminal->currentText();
    sbCommProperties->SetPanelText(0, QStringLiteral("Port: ") + portName);
    CommPort->OpenCommPort(portName);
    ShowLineSettingsInDialog();
    CommPort->InitCommPortShortTimeout(CommPort->BaudRateText);
    ApplyPortProperties();
    CommPort->SetShortReadTimeouts();
}

// The port did not open: every set-up call is still made and fails on its
// own, and the port is tried once more at the end.
void TCommTermForm::ConfigureUnopenedPort()
{
    if (CycleThread != nullptr && !CycleThreadDone)
        ReplaceWorker();
    EnableCommActiveObjects();
    const QString portName = cboCommTerminal->currentText();
    CommPort->OpenCommPort(portName);
    sbCommProperties->SetPanelText(0, QStringLiteral("Port: ") + portName);
    ShowLineSettingsInDialog();
    CommPort->InitCommPort(CommPort->BaudRateText);
    ApplyPortProperties();
    CommPort->SetShortReadTimeouts();
    CommPort->CloseCommPort();
    CommPort->OpenCommPort(portName);
}

// Brings the dialog's lists in line with the port object; each Set marks
// the configuration as changed.
void TCommTermForm::ShowLineSettingsInDialog()
{
    CommSettingForm->SetBaudRate(CommPort->BaudRate);
    CommSettingForm->SetByteSize(CommPort->DataBits);
    CommSettingForm->SetParity(CommPort->Parity);
    CommSettingForm->SetStopBits(CommPort->StopBits);
}

void TCommTermForm::ApplyPortProperties()
{
    CommPort->SetCommPortProperties(QString::number(CommPort->BaudRate), QString::number(CommPort->Parity),
                                    QString::number(CommPort->DataBits), QString::number(CommPort->StopBits));
    SetCommPropertyStatusBarInfo();
}

void TCommTermForm::ShowCurrentCommand()
{
    eSendCommand->setText(CommandArray.at(static_cast<std::size_t>(CommandIndex)));
}

void TCommTermForm::CommProperties1Click()
{
    Properties1Click();
}

void TCommTermForm::Properties1Click()
{
    OpenPortForSetUp();
    PrepareSettingsDialog();
    platform::ShowModal(*CommSettingForm);
    if (TerminationChanged)
        TakeTerminatorFromDialog();
    ApplyPortProperties();
    StartWorker();
}

// A text the dialog let through unparsed is checked again here: the dialog
// comes back until the text is one byte or holds its comma. A part that is
// no hexadecimal number ends the whole entry with the conversion error.
void TCommTermForm::TakeTerminatorFromDialog()
{
    while (TerminationTextNeedsComma(CommSettingForm->leTerminationString->text())) {
        CommSettingForm->ErrorMissingComma();
        platform::ShowModal(*CommSettingForm);
    }
    ApplyTerminationString(CommSettingForm->leTerminationString->text());
    TerminationChanged = false;
}

void TCommTermForm::CommPortScan1Click()
{
    const QString remembered = cboCommTerminal->currentText();
    cboCommTerminal->clear();
    cboCommTerminal->clearEditText();
    cmdStopCycleClick();
    disablecontrols();
    CommPort->CloseCommPort();
    ScanAndSetupPorts(false, CommPort->PortName);
    // A stored name may be in lower case ("com3"); the scan found it that way, so
    // the rescan must find it again the same way.
    const int index = remembered.contains(QStringLiteral("COM"), Qt::CaseInsensitive)
                          ? FindComboText(*cboCommTerminal, remembered)
                          : -1;
    if (index >= 0) {
        cboCommTerminal->setCurrentIndex(index);
    } else {
        cboCommTerminal->setEditText(PortBoxLayoutText);
        cboCommTerminal->setCurrentIndex(-1);
    }
    cboCommTerminalSelect();
}

void TCommTermForm::CloseComm()
{
    CommPort->CloseCommPort();
}

void TCommTermForm::SetCommPropertyStatusBarInfo()
{
    sbCommProperties->SetPanelText(1, QStringLiteral("Settings: ") + QString::number(CommPort->BaudRate)
                                          + QStringLiteral(" ") + DataBitsText(CommPort->DataBits)
                                          + ParityText(CommPort->Parity) + StopBitsText(CommPort->StopBits));
}

void TCommTermForm::ErrorCommPortnotSelected()
{
    platform::Services().ShowMessage(this, QStringLiteral("Communications Port Warning"),
                                     QStringLiteral("A communications port must be selected before sending commands"),
                                     platform::MessageIcon::Exclamation);
}

void TCommTermForm::ReplaceWorker()
{
    if (CycleThread == nullptr)
        return;
    CycleThread->Terminate();
    CycleThread = nullptr;
}

// Nothing starts once the close has begun.
void TCommTermForm::StartWorker()
{
    if (CloseBegun)
        return;
    CycleThreadDone = false;
    CycleThread = NewCycleWorker();
}
