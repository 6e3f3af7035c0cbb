#pragma once

#include "serial/CommPort.h"
#include "ui_Main.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>

#include <array>
#include <atomic>
#include <memory>

class QSplitterHandle;
class QTimer;

// One named set of common command strings (F1 to F5) and recent commands.
struct TCommandGroup
{
    QString GroupName;
    std::array<QString, 5> CommandStrings;
    std::array<QString, 10> Commands;
};

// The main window: port selection, the send road, command groups, command
// files and cycles. Closing it ends the program.
class TCommTermForm : public QMainWindow, private Ui::TCommTermForm
{
    Q_OBJECT

public:
    explicit TCommTermForm(QWidget* parent = nullptr);

    // Controls that other windows reach by name.
    using Ui::TCommTermForm::cboCommTerminal;
    using Ui::TCommTermForm::eSendCommand;
    using Ui::TCommTermForm::ShowCommTerminal1;

    // Window events.
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void nbLaserSystemPageChanged();

    // Control sets.
    void EnableCommActiveObjects();
    void disablecontrols();

    void cmdStopCycleClick();

    // The send road: every command the system sends takes this Enter-key handler.
    void eSendCommandKeyPress(char& key);
    // Port scan and selection.
    void ScanAndSetupPorts(bool load, const QString& name);
    void cboCommTerminalSelect();
    // The communications log's error table.
    void ResetCommErrorArray();
    // The configuration file.
    void LoadConfigurationFile();
    void SaveConfigurationFile();

    // Menu "File".
    void LoadCommandFile1Click();
    void CloseCommandFile1Click();
    void Exit1Click();
    // Menu "View".
    void ViewCommandFileWindow1Click();
    void HideCommandFileWindow1Click();
    void ClearOutgoingandIncommingWindow1Click();
    void ClearCommandFile1Click();
    // Hidden menu "Controls".
    void SendCommandField1Click();
    void CommonCommandString11Click();
    void CommonCommandString21Click();
    void CommonCommandString31Click();
    void CommonCommandString41Click();
    void CommonCommandString51Click();
    void StartCycle1Click();
    void StopCycle1Click();
    // Menu "Tools".
    void DownloadSettings1Click();
    void UploadSettings1Click();
    void GRNIRControl1Click();
    void OrvaneSystem1Click();
    void HideCommTerminal1Click();
    void ShowCommTerminal1Click();
    void DravikControl1Click();
    void ResetCommandStrings1Click();
    void ResetCommandsSentCount1Click();
    void CommPortScan1Click();
    void ViewLog2Click();
    void EnableLog1Click();
    void DisableLog1Click();
    void CommProperties1Click();
    void TimeStampEnable1Click();
    void TimeStampDisable1Click();
    void IncludeCommandSent1Click();
    void OmitCommandSent1Click();
    // Menu "Help".
    void About1Click();

    QString ProgramTitle;
    std::unique_ptr<CSerialPort> CommPort;
    bool LogEnabled = false;
    bool ConfigChanged = false;
    bool CommandFileChanged = false;
    std::atomic<bool> PortBusy = false;
    int LineCount = 0;
    std::atomic<bool> Closing = false;
    int CommandsSent = 0;
    std::atomic<bool> SendDisplayBusy = false;
    std::atomic<bool> ReplyDisplayBusy = false;
    QString TerminationString;
    QByteArray TerminationBytes;
    bool TerminationChanged = false;
    int CommandIndex = 0;
    std::array<QString, 10> CommandArray;
    CommPortFlags CommPortBuff{};
    std::atomic<bool> FileHalted = false;
    std::atomic<bool> CycleThreadDone = false;
    std::array<TCommandGroup, 10> CommandGroups;
    int CurrentGroup = -1;
    QString LastCommand;
    QString LastResponse;
    bool IncludeCommandSent = false;
    bool TimeStampEnabled = false;

    // Polls the port for unsolicited input once a port is selected.
    QTimer* DelayTimer = nullptr;
    // The bar between the terminal pane and the command-file pane.
    QSplitterHandle* Splitter1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectMenu();
    void ConnectControls();
    void ShowSendButtonGlyphs();
    void PaintLayoutColours();
    void SetCommControlsEnabled(bool enabled);
    bool StopActiveRun();
    void EndWorker();
    void ShowPanel(QWidget& panel);

    bool FirstShowDone = false;
};

extern TCommTermForm* CommTermForm;
