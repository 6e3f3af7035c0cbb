#include "settings_transfer/InstrumentSetting.h"

#include "platform/EventGuard.h"
#include "platform/PopupMenu.h"
#include "platform/RichText.h"
#include "platform/Showing.h"
#include "platform/StatusBar.h"
#include "platform/TextFile.h"
#include "terminal/DialogPlacement.h"
#include "terminal/Main.h"
#include "terminal/commcyclethread.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>

TInstrumentSettingForm* InstrumentSettingForm = nullptr;

namespace {

constexpr int ActionPanel = 0;
constexpr int FileNamePanel = 1;
constexpr int AfterWalkPauseMs = 500;
const QString CompleteText = QStringLiteral("% Complete");

// The editor's lines as the rich edit counts them: a line break at the very
// end starts no further line.
QStringList EditorLines(const QPlainTextEdit& editor)
{
    return CommandFileFormat::PaneLines(*editor.document());
}

// Added as plain text: an instrument's reply is never read as markup.
void AppendLine(QPlainTextEdit& editor, const QString& line)
{
    QTextDocument* document = editor.document();
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    if (!document->isEmpty())
        end.insertBlock();
    end.insertText(line);
}

// A line past the end puts the caret at the end, so the newest line stays in view.
void MoveCaretToLine(QPlainTextEdit& editor, int line)
{
    QTextCursor caret(editor.document());
    const QTextBlock block = editor.document()->findBlockByNumber(line);
    if (block.isValid())
        caret.setPosition(block.position());
    else
        caret.movePosition(QTextCursor::End);
    editor.setTextCursor(caret);
}

void ShowPosition(const QProgressBar& bar, QLabel& label, const QString& end)
{
    label.setText(QString::number(bar.value()) + end);
}

} // namespace

TInstrumentSettingForm::TInstrumentSettingForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setupUi(this);
    SetUpFileDialogs();
    BuildPopupMenu();
    connect(cmdDownload, &QPushButton::clicked, this, platform::Guarded([this] { cmdDownloadClick(); }));
    connect(cmdUpload, &QPushButton::clicked, this, platform::Guarded([this] { cmdUploadClick(); }));
}

void TInstrumentSettingForm::SetUpFileDialogs()
{
    OpenDialogInstrumentQueryFile.Title = QStringLiteral("Open Insturment Settings Query File");
    OpenDialogInstrumentQueryFile.Filter = QStringLiteral("Text File (*.iqf)|*.iqf|All Files (*.*)|*.*");
    OpenDialogInstrumentQueryFile.CreatePrompt = true;
    SaveDialogInstrumentRestoreFile.Title = QStringLiteral("Save Instrument Restore File");
    SaveDialogInstrumentRestoreFile.Filter = QStringLiteral("Text File (*.irf)|*.irf|All Files (*.*)|*.*");
    SaveDialogInstrumentRestoreFile.DefaultExt = QStringLiteral(".irf");
    SaveDialogInstrumentRestoreFile.OverwritePrompt = true;
    OpenDialogInstrumentRestoreFile.Title = QStringLiteral("Open Instrument Restore Settings File");
    OpenDialogInstrumentRestoreFile.Filter = SaveDialogInstrumentRestoreFile.Filter;
    OpenDialogInstrumentRestoreFile.CreatePrompt = true;
    SaveDialogInstrumentSettingsFile.Title = QStringLiteral("Save Instrument Settings File");
    SaveDialogInstrumentSettingsFile.Filter = QStringLiteral("Text File (*.csv)|*.csv|All Files (*.*)|*.*");
    SaveDialogInstrumentSettingsFile.DefaultExt = QStringLiteral(".csv");
}

void TInstrumentSettingForm::BuildPopupMenu()
{
    PopupMenuInstrumentSettings = new QMenu(this);
    PopupMenuInstrumentSettings->setObjectName(QStringLiteral("PopupMenuInstrumentSettings"));
    platform::AddMenuEntry(*PopupMenuInstrumentSettings, QStringLiteral("Print1"), QStringLiteral("Print"),
                           [this] { Print1Click(); });
    platform::AddMenuEntry(*PopupMenuInstrumentSettings, QStringLiteral("SavetoFile1"), QStringLiteral("Save to File"),
                           [this] { SavetoFile1Click(); });
    platform::AttachPopupMenu(*reInstrumentSettingFile, *PopupMenuInstrumentSettings);
}

// A restore from minimised, also while a save dialog or a message box of a
// transfer is open, leaves the window as it was.
void TInstrumentSettingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::OnShowing(*event, [this] {
        CentreOnMainWindow();
        FormShow();
    });
}

void TInstrumentSettingForm::CentreOnMainWindow()
{
    if (parentWidget() != nullptr)
        CentreOnWindow(*this, *parentWidget());
}

// Every showing starts afresh, with the port the main window holds now.
void TInstrumentSettingForm::FormShow()
{
    CommPort = CommTermForm->CommPort.get();
    reInstrumentQueryFile->clear();
    ClearTransferEditors();
    ResetProgress(QStringLiteral("%"));
    ShowAction(QStringLiteral("Action:"));
    StatusBar1->SetPanelText(FileNamePanel, QStringLiteral("Filename:"));
}

void TInstrumentSettingForm::StartTransfer(const QString& action)
{
    TransferWriteFailed = false;
    ResetProgress(CompleteText);
    ShowAction(action);
    ClearTransferEditors();
}

// A transfer that ended at a failed write did not do its work: the action
// shows the window at rest, not "Done".
void TInstrumentSettingForm::EndTransfer()
{
    ShowAction(TransferWriteFailed ? QStringLiteral("Action:") : QStringLiteral("Action: Done"));
}

void TInstrumentSettingForm::ResetProgress(const QString& labelEnd)
{
    pbDownloadProgress->setValue(pbDownloadProgress->minimum());
    pbUploadProgress->setValue(pbUploadProgress->minimum());
    ShowPosition(*pbDownloadProgress, *lblDownloadProgress, labelEnd);
    ShowPosition(*pbUploadProgress, *lblUploadProgress, labelEnd);
}

void TInstrumentSettingForm::FillProgress(QProgressBar& bar, QLabel& label)
{
    bar.setValue(bar.maximum());
    ShowPosition(bar, label, CompleteText);
}

// A walk cut short by a failed write keeps its bar where it stopped.
void TInstrumentSettingForm::EndWalk(QProgressBar& bar, QLabel& label)
{
    if (!TransferWriteFailed)
        FillProgress(bar, label);
    Repaint();
}

// The settings and the restore lines; the query file stays until the next showing.
void TInstrumentSettingForm::ClearTransferEditors()
{
    reInstrumentSettingFile->clear();
    reInstrumentRestoreFile->clear();
}

void TInstrumentSettingForm::ShowAction(const QString& action)
{
    StatusBar1->SetPanelText(ActionPanel, action);
}

void TInstrumentSettingForm::ShowFileName(const QString& fileName)
{
    StatusBar1->SetPanelText(FileNamePanel, QStringLiteral("Filename: ") + fileName);
}

// ---- The download ----

void TInstrumentSettingForm::cmdDownloadClick()
{
    StartTransfer(QStringLiteral("Action: Downloading..."));
    DownloadSettings();
    EndTransfer();
}

void TInstrumentSettingForm::DownloadSettings()
{
    OpenQueryFile();
    ShowFileName(OpenDialogInstrumentQueryFile.FileName);
    QueryInstrumentSettings();
    // Uploaded later, the restore file of a download cut short would set
    // half an instrument.
    if (TransferWriteFailed)
        return;
    Pause(AfterWalkPauseMs);
    SaveRestoreFile();
}

// After Cancel the query editor keeps the file it holds.
void TInstrumentSettingForm::OpenQueryFile()
{
    LoadChosenFile(OpenDialogInstrumentQueryFile, *reInstrumentQueryFile);
}

void TInstrumentSettingForm::QueryInstrumentSettings()
{
    reInstrumentSettingFile->setFocus();
    Query.QueryInstrumentSettings(EditorLines(*reInstrumentQueryFile));
    EndWalk(*pbDownloadProgress, *lblDownloadProgress);
}

void TInstrumentSettingForm::SaveRestoreFile()
{
    SaveEditorLines(SaveDialogInstrumentRestoreFile, *reInstrumentRestoreFile);
}

// ---- The upload ----

void TInstrumentSettingForm::cmdUploadClick()
{
    StartTransfer(QStringLiteral("Action: UPloading..."));
    UploadSettings();
    EndTransfer();
}

void TInstrumentSettingForm::UploadSettings()
{
    OpenRestoreFile();
    ShowFileName(OpenDialogInstrumentRestoreFile.FileName);
    RestoreInstrumentSettings();
    if (!TransferWriteFailed)
        Pause(AfterWalkPauseMs);
}

void TInstrumentSettingForm::OpenRestoreFile()
{
    LoadChosenFile(OpenDialogInstrumentRestoreFile, *reInstrumentRestoreFile);
}

void TInstrumentSettingForm::RestoreInstrumentSettings()
{
    reInstrumentSettingFile->setFocus();
    ::RestoreInstrumentSettings(*this, EditorLines(*reInstrumentRestoreFile));
    EndWalk(*pbUploadProgress, *lblUploadProgress);
}

// ---- The settings editor's pop-up menu ----

void TInstrumentSettingForm::Print1Click()
{
    platform::Services().PrintDocument(this, *reInstrumentSettingFile->document(),
                                       QStringLiteral("Communications Terminal"));
}

void TInstrumentSettingForm::SavetoFile1Click()
{
    SaveEditorLines(SaveDialogInstrumentSettingsFile, *reInstrumentSettingFile);
}

// ---- Files ----

// The dialog keeps the name last chosen; a file that cannot be read leaves the editor as it was.
void TInstrumentSettingForm::LoadChosenFile(platform::FileDialogRequest& dialog, QPlainTextEdit& editor)
{
    const std::optional<QString> chosen = platform::Services().OpenFileName(this, dialog);
    if (!chosen)
        return;
    dialog.FileName = *chosen;
    editor.setPlainText(platform::LoadRichEditText(*chosen));
}

// Each save offers an empty name.
void TInstrumentSettingForm::SaveEditorLines(platform::FileDialogRequest& dialog, const QPlainTextEdit& editor)
{
    dialog.FileName.clear();
    if (const std::optional<QString> chosen = platform::Services().SaveFileName(this, dialog))
        platform::SaveLinesToFile(*chosen, EditorLines(editor));
}

// ---- What the walks ask of the window ----

// The window takes no input during a transfer; it only repaints itself.
void TInstrumentSettingForm::Pause(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void TInstrumentSettingForm::StepProgress(Walk walk)
{
    QProgressBar& bar = walk == Walk::Download ? *pbDownloadProgress : *pbUploadProgress;
    bar.setValue(bar.value() + 1);
    ShowPosition(bar, walk == Walk::Download ? *lblDownloadProgress : *lblUploadProgress, CompleteText);
}

void TInstrumentSettingForm::AddSettingLine(const QString& line)
{
    AppendLine(*reInstrumentSettingFile, line);
}

void TInstrumentSettingForm::AddToRestoreFile(const QString& line)
{
    AppendLine(*reInstrumentRestoreFile, line);
}

void TInstrumentSettingForm::LineDone(Walk walk, int nextLine)
{
    if (walk == Walk::Download) {
        MoveCaretToLine(*reInstrumentQueryFile, nextLine);
        MoveCaretToLine(*reInstrumentRestoreFile, nextLine);
    }
    MoveCaretToLine(*reInstrumentSettingFile, nextLine);
    Repaint();
}

// Paints what changed, now: the walk runs inside a click and the window
// handles no other event until it ends.
void TInstrumentSettingForm::Repaint()
{
    QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}
