#pragma once

#include "platform/Services.h"
#include "serial/CommPort.h"
#include "ui_Main.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QSplitterHandle;
class QTimer;
class DeferredErrors;
struct TerminalConfiguration;

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
    // The cycle worker reads and writes the cycle controls and the command-file
    // pane, always on the window thread.
    friend class TCommCycleThread;

public:
    explicit TCommTermForm(QWidget* parent = nullptr);
    // Ends every cycle worker first: none may outlive the window.
    ~TCommTermForm() override;

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

    // Command files and cycle control.
    void cmdStartCycleClick();
    void cmdStopCycleClick();
    void SaveToFileCommandFileClick();
    void CloseCommandFile2Click();
    void ClearCommandSequenceFile1Click();
    void reInputFileKeyPress(char& key);
    void reInputFileChange();
    // Loading, clearing and the running-line marker change the pane's text
    // for the program, not for the user.
    void ChangeCommandFileByProgram(const std::function<void()>& change);
    void SendSelectedCommand1Click();
    // The command-file pane's pop-up menu and dialogs.
    QMenu* PopupMenuInputFile = nullptr;
    QAction* SaveToFileCommandFile = nullptr;
    QAction* CloseCommandFile2 = nullptr;
    QAction* ClearCommandSequenceFile1 = nullptr;
    QAction* SendSelectedCommand1 = nullptr;
    platform::FileDialogRequest OpenDialogInputFile;
    platform::FileDialogRequest SaveDialogInputFile;

    // The send road: every command the system sends takes this Enter-key handler.
    void eSendCommandKeyPress(char& key);
    // The send road's steps, the terminal pane and the command history.
    static constexpr int ReadAndCheckReply = 3;
    // Before a line would take the terminal pane past this, the pane is saved and cleared.
    static constexpr int PaneLineLimit = 20000;
    QString SendCommand(const QString& command, int mode, DeferredErrors& errors);
    void ClearToSend();
    void isCommandError(const QString& command, const QString& reply);
    static void StripTerminatorFromString(QString& text, const QString& terminator);
    void SaveCommTerminalLogFile();
    void AppendCommandArray();
    void IncCommandArray();
    void DecCommandArray();
    void eSendCommandKeyDown(int& key);
    void SaveCommTerminal1Click();
    void PrintCommTerminal1Click();
    // The terminal pane's pop-up menu.
    QMenu* PopupMenuComTerm = nullptr;
    // Unsolicited input: the poll timer's tick.
    void DelayTimerTimer();
    // Port scan and selection.
    // The name is taken by value: callers pass the port object's own name, which the scan overwrites.
    void ScanAndSetupPorts(bool load, QString name);
    void cboCommTerminalSelect();
    void ClearCommPortBuff();
    void InitializePortSelections(const CommPortFlags& flags);
    static int FindComboText(const QComboBox& box, const QString& text);
    void DoThis();
    void Properties1Click();
    void CloseComm();
    void SetCommPropertyStatusBarInfo();
    void ErrorCommPortnotSelected();
    // Every port selection replaces the cycle worker; replacing never waits for it.
    void ReplaceWorker();
    void StartWorker();
    // Ends every live worker, the held one and replaced ones, and waits until
    // all have gone.
    void EndWorker();
    // The communications log's error table.
    void ResetCommErrorArray();
    // The configuration file.
    void LoadConfigurationFile();
    void SaveConfigurationFile();
    // Command groups and common command strings.
    void DisplayCommandGroup(int group);
    void StoreCommandGroup(int group);
    void cboCommandGroupSelect();
    void bbSendString1Click();
    void bbSendString2Click();
    void bbSendString3Click();
    void bbSendString4Click();
    void bbSendString5Click();
    void edString1KeyPress(char& key);
    void edString2KeyPress(char& key);
    void edString3KeyPress(char& key);
    void edString4KeyPress(char& key);
    void edString5KeyPress(char& key);
    void RenameGroup1Click();
    void CopytoGroup1Click();
    void ResetCommands1Click();
    // The group box's pop-up menu.
    QMenu* PopupMenuCommandGroup = nullptr;
    QAction* RenameGroup1 = nullptr;
    QAction* CopytoGroup1 = nullptr;
    QAction* ResetCommands1 = nullptr;

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
    // The user has edited the command-file pane since it was last loaded,
    // saved or cleared: closing the program offers to save it.
    bool CommandFileUnsaved = false;
    bool CommandFileChangingByProgram = false;
    std::atomic<bool> PortBusy = false;
    // The sends that found the port gone and sent nothing: a cycle pass ends
    // at the first since it began.
    std::atomic<unsigned> PortLostSends = 0;
    // The action under way on the window thread when a send last found the
    // port gone, 0 outside any: a panel's action ends there, whoever sent.
    std::uint64_t PortLostAction = 0;
    int LineCount = 0;
    std::atomic<bool> Closing = false;
    // Set when the close begins, before the configuration is saved and the
    // workers end (Closing follows once they have ended), or when the windows
    // are destroyed: from then on no worker step runs and no worker starts.
    bool CloseBegun = false;
    // Set while the instrument settings window's menu entry ends the worker:
    // the run ends where it is, and a send it still has to make is dropped.
    bool WorkerSendsRefused = false;
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
    bool OfferToSaveCommandFile();
    void ClosePanels();
    void ReleasePort();
    void ShowPanel(QWidget& panel);
    // Command files and cycle control.
    void ConnectCommandFiles();
    void BuildPopupMenuInputFile();
    void ShowCommandFilePane(bool shown);
    void SetCycleStringsEnabled(bool enabled);
    void ShowCommandFileName(const QString& text);
    void LoadCommandFile(const QString& fileName);
    void ClearCommandFilePane();
    // Port scan and selection.
    void ResetWindowForScan();
    void SelectStoredPort();
    void OpenPortForSetUp();
    void ConfigureReopenedPort();
    void ConfigureUnopenedPort();
    void ShowLineSettingsInDialog();
    void ApplyPortProperties();
    void PrepareSettingsDialog();
    void TakeTerminatorFromDialog();
    void ShowCurrentCommand();

    // The configuration file.
    TerminalConfiguration ConfigurationShown() const;
    void TakeStoredLineSettings(const TerminalConfiguration& stored);
    void TakeStoredGroups(const TerminalConfiguration& stored);
    void SelectStoredGroup(int group);
    // Command groups and common command strings.
    void ConnectCommandGroups();
    void BuildCommandGroupMenu();
    std::array<QLineEdit*, 5> CommonStringEdits() const;
    void SendCommonString(int index);
    void CommonStringKeyPress(int index, char& key);
    void SendCommandBoxText();

    // The send road, the terminal pane and unsolicited input.
    void ConnectSendRoad();
    void BuildPopupMenuComTerm();
    void ConnectUnsolicitedInput();
    bool TakePortBusy();
    bool ReopenPortByName();
    void ReopenDroppedPort();
    void RescanUnlessClosing();
    void EchoCommand(const QString& text, DeferredErrors& errors);
    bool RestartFullPane(DeferredErrors& errors);
    void AddEcho(const QString& stamp, const QString& text);
    void ShowLineCount();
    void AppendLogEntry(const QColor& colour, const QString& entry);
    int PaneLineCount() const;
    QString PaneLine(const QString& stamp, const QString& text) const;
    void AddPaneLine(const QString& line, const QColor& colour);
    void AddPaneLineKeepingCaret(const QString& line, const QColor& colour);
    QStringList PaneLines() const;
    static void WaitWhileSet(const std::atomic<bool>& flag);
    void ChooseDisplayOption(bool& option, bool value, QAction* chosen, QAction* partner);
    void ShowUnsolicitedInput(DeferredErrors& errors);
    QString ReadWaitingInput();

    bool FirstShowDone = false;
};

extern TCommTermForm* CommTermForm;
