#pragma once

#include "platform/Services.h"
#include "settings_transfer/SettingsWalks.h"
#include "ui_InstrumentSetting.h"

#include <QDialog>

class CSerialPort;
class QMenu;

// The "Instrument Settings" window, shown modally while the main window holds
// the port: Download runs a settings query file against the instrument and
// saves a restore file, Upload sends a restore file back. It talks to the
// instrument through its own command exchange, which nothing echoes or logs.
class TInstrumentSettingForm : public QDialog, private Ui::TInstrumentSettingForm, private TransferWindow
{
    Q_OBJECT

public:
    explicit TInstrumentSettingForm(QWidget* parent = nullptr);

    void FormShow();
    void cmdDownloadClick();
    void cmdUploadClick();
    void Print1Click();
    void SavetoFile1Click();

    // The download.
    void DownloadSettings();
    void OpenQueryFile();
    void QueryInstrumentSettings();
    void SaveRestoreFile();
    // The upload.
    void UploadSettings();
    void OpenRestoreFile();
    void RestoreInstrumentSettings();

    // The command exchange.
    QString SendInstrumentCommand(const QString& command, int mode) override;
    bool WriteFailed() const override;
    // False when the command could not be written.
    bool ResendInstrumentCommand(const QString& command);
    bool isResponseError(const QString& command, const QString& reply);
    void ErrorInstrumentWrite(const QString& command);
    void ErrorInstrumentResponse(const QString& code, const QString& command);

    // The main window's port, taken afresh at every showing.
    CSerialPort* CommPort = nullptr;
    // The download's working state.
    SettingsQuery Query{*this};

    QMenu* PopupMenuInstrumentSettings = nullptr;
    platform::FileDialogRequest OpenDialogInstrumentQueryFile;
    platform::FileDialogRequest SaveDialogInstrumentRestoreFile;
    platform::FileDialogRequest OpenDialogInstrumentRestoreFile;
    platform::FileDialogRequest SaveDialogInstrumentSettingsFile;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetUpFileDialogs();
    void BuildPopupMenu();
    void CentreOnMainWindow();
    void StartTransfer(const QString& action);
    void ResetProgress(const QString& labelEnd);
    void FillProgress(QProgressBar& bar, QLabel& label);
    void ClearTransferEditors();
    void ShowAction(const QString& action);
    void ShowFileName(const QString& fileName);
    void LoadChosenFile(platform::FileDialogRequest& dialog, QPlainTextEdit& editor);
    void SaveEditorLines(platform::FileDialogRequest& dialog, const QPlainTextEdit& editor);
    void EndTransfer();
    void EndWalk(QProgressBar& bar, QLabel& label);
    // The command exchange's steps.
    void ReopenIfClosed();
    bool WriteInstrumentCommand(const QString& command, const QByteArray& terminator);
    void ExchangeAcknowledged(const QString& command, QString& reply);
    void ExchangeQuery(const QString& command, QString& reply);
    bool ReadReply(QString& reply);
    bool ResendTwice(const QString& command, QString& reply);

    // What the walks ask of the window.
    void Pause(int milliseconds) override;
    void StepProgress(Walk walk) override;
    void AddSettingLine(const QString& line) override;
    void AddToRestoreFile(const QString& line) override;
    void LineDone(Walk walk, int nextLine) override;
    void Repaint() override;

    // Set by a command of the current transfer that could not be written.
    bool TransferWriteFailed = false;
};

extern TInstrumentSettingForm* InstrumentSettingForm;
