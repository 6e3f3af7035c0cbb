#include "terminal/Main.h"

#include "platform/AnsiText.h"
#include "platform/ControlEvents.h"
#include "platform/EditActions.h"
#include "platform/EventGuard.h"
#include "platform/PopupMenu.h"
#include "platform/Exceptions.h"
#include "platform/TextFile.h"
#include "terminal/commcyclethread.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QSplitterHandle>
#include <QTextCursor>

#include <utility>

namespace {

const QString InputFileFilter = QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*");
const QString ContinueCaption = QStringLiteral("Continue");
constexpr int CommandFileNamePanel = 2;

// The file's 8-bit text with its line breaks as the pane keeps them.
QString ReadCommandFileText(const QString& fileName)
{
    QString text = platform::AnsiToText(platform::ReadFileBytes(fileName));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

void TCommTermForm::ConnectCommandFiles()
{
    OpenDialogInputFile.Title = QStringLiteral("Open Command Input File");
    OpenDialogInputFile.Filter = InputFileFilter;
    OpenDialogInputFile.OverwritePrompt = true;
    OpenDialogInputFile.CreatePrompt = true;
    SaveDialogInputFile.Title = QStringLiteral("Save Command Input File");
    SaveDialogInputFile.Filter = InputFileFilter;
    SaveDialogInputFile.DefaultExt = QStringLiteral(".txt");

    QPalette palette = reInputFile->palette();
    palette.setColor(QPalette::Base, Qt::white);
    reInputFile->setPalette(palette);

    connect(cmdStartCycle, &QPushButton::clicked, this, platform::Guarded([this] { cmdStartCycleClick(); }));
    auto& pane = platform::ControlEvents::Of(reInputFile);
    pane.OnKeyPress = [this](char& key) { reInputFileKeyPress(key); };
    pane.OnChange = [this] { reInputFileChange(); };
    BuildPopupMenuInputFile();
}

void TCommTermForm::BuildPopupMenuInputFile()
{
    PopupMenuInputFile = new QMenu(this);
    QMenu& menu = *PopupMenuInputFile;
    platform::AddEditEntries(menu, false);
    menu.addSeparator();
    SendSelectedCommand1 = platform::AddMenuEntry(menu, QStringLiteral("SendSelectedCommand1"),
        QStringLiteral("Send Selected Command"), [this] { SendSelectedCommand1Click(); });
    SaveToFileCommandFile = platform::AddMenuEntry(menu, QStringLiteral("SaveToFileCommandFile"),
        QStringLiteral("&Save to File"), [this] { SaveToFileCommandFileClick(); });
    ClearCommandSequenceFile1 = platform::AddMenuEntry(menu, QStringLiteral("ClearCommandSequenceFile1"),
        QStringLiteral("Clear Command File Window"), [this] { ClearCommandSequenceFile1Click(); });
    CloseCommandFile2 = platform::AddMenuEntry(menu, QStringLiteral("CloseCommandFile2"),
        QStringLiteral("Close Command File"), [this] { CloseCommandFile2Click(); });
    platform::AttachPopupMenu(*reInputFile, menu);
}

// The dialog keeps the name last chosen; after Cancel the status bar shows it again.
void TCommTermForm::LoadCommandFile1Click()
{
    cmdStopCycleClick();
    ShowCommandFilePane(true);
    if (const auto chosen = platform::Services().OpenFileName(this, OpenDialogInputFile)) {
        OpenDialogInputFile.FileName = *chosen;
        LoadCommandFile(*chosen);
    }
    ShowCommandFileName(QStringLiteral("FileName: ") + OpenDialogInputFile.FileName);
}

// Read whole before the pane changes, so a file that cannot be read leaves
// the pane as it was.
void TCommTermForm::LoadCommandFile(const QString& fileName)
{
    const QString text = ReadCommandFileText(fileName);
    reInputFile->setAcceptRichText(false);
    ChangeCommandFileByProgram([&] { reInputFile->setPlainText(text); });
    CommandFileUnsaved = false;
}

// "Save Command File" saves only a pane someone has typed into; otherwise it
// clears the pane.
void TCommTermForm::CloseCommandFile1Click()
{
    if (CommandFileChanged) {
        SaveToFileCommandFileClick();
        ShowCommandFileName(QString());
    } else {
        ClearCommandFilePane();
    }
}

void TCommTermForm::SaveToFileCommandFileClick()
{
    SaveDialogInputFile.FileName.clear();
    const auto chosen = platform::Services().SaveFileName(this, SaveDialogInputFile);
    if (!chosen)
        return;
    SaveDialogInputFile.FileName = *chosen;
    platform::SaveLinesToFile(*chosen, CommandFileFormat::PaneLines(*reInputFile->document()));
    CommandFileUnsaved = false;
}

// Edits that no save has taken are offered for saving, through the dialog of
// "Save Command File"; false when the user keeps the program open: Cancel in
// the question or in the dialog, or a save that failed.
bool TCommTermForm::OfferToSaveCommandFile()
{
    if (!CommandFileUnsaved)
        return true;
    const platform::Answer answer = platform::Services().AskYesNoCancel(
        this, QStringLiteral("Save Command File"),
        QStringLiteral("The command file has been changed.\r\n\r\nDo you want to save the changes?"));
    if (answer != platform::Answer::Yes)
        return answer == platform::Answer::No;
    return platform::RunGuarded([this] { SaveToFileCommandFileClick(); }) && !CommandFileUnsaved;
}

void TCommTermForm::CloseCommandFile2Click()
{
    CloseCommandFile1Click();
    ShowCommandFilePane(false);
}

void TCommTermForm::ClearCommandFile1Click()
{
    ClearCommandFilePane();
    ShowCommandFileName(QString());
}

void TCommTermForm::ClearCommandFilePane()
{
    ChangeCommandFileByProgram([this] { reInputFile->clear(); });
    CommandFileUnsaved = false;
}

void TCommTermForm::ClearCommandSequenceFile1Click()
{
    ClearCommandFile1Click();
}

void TCommTermForm::ViewCommandFileWindow1Click()
{
    ShowCommandFilePane(true);
}

// The pane keeps its text while hidden.
void TCommTermForm::HideCommandFileWindow1Click()
{
    ShowCommandFilePane(false);
}

void TCommTermForm::ShowCommandFilePane(bool shown)
{
    gbInputFile->setEnabled(shown);
    gbInputFile->setVisible(shown);
    Splitter1->setEnabled(shown);
    Splitter1->setVisible(shown);
    if (shown)
        reInputFile->setEnabled(true);
}

void TCommTermForm::ShowCommandFileName(const QString& text)
{
    sbCommProperties->SetPanelText(CommandFileNamePanel, text);
}

void TCommTermForm::reInputFileKeyPress(char&)
{
    CommandFileChanged = true;
}

// Text pasted, cut, dropped or undone by the user counts as typed: it is
// offered for saving. What the program itself writes into the pane is not.
void TCommTermForm::reInputFileChange()
{
    if (CommandFileChangingByProgram)
        return;
    CommandFileChanged = true;
    CommandFileUnsaved = true;
}

// The user's undo history is dropped as well: an undo could otherwise bring a
// running-line marker back into a command line, to be saved and sent with it.
void TCommTermForm::ChangeCommandFileByProgram(const std::function<void()>& change)
{
    const bool alreadyChanging = std::exchange(CommandFileChangingByProgram, true);
    const auto done = qScopeGuard([this, alreadyChanging] {
        CommandFileChangingByProgram = alreadyChanging;
        reInputFile->document()->clearUndoRedoStacks();
    });
    change();
}

void TCommTermForm::SendSelectedCommand1Click()
{
    QString selected = reInputFile->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    const QString command = CommandFileFormat::TrimControls(selected);
    if (command.isEmpty())
        return;
    ConfigChanged = true;
    eSendCommand->setText(command);
    SendCommandBoxText();
}

// The pane's visibility alone chooses the kind of run; a START during a run
// sets the flags again and the worker goes on from where it is.
void TCommTermForm::cmdStartCycleClick()
{
    if (cmdStartCycle->text() == ContinueCaption) {
        FileHalted = false;
        return;
    }
    leCurrentCycle->setText(QStringLiteral("0"));
    sbSendStatus->SetPanelText(1, QStringLiteral("Commands Sent: 0"));
    CommandsSent = 0;
    if (CycleThread == nullptr)
        return;
    if (!gbInputFile->isHidden()) {
        SetCycleStringsEnabled(false);
        CycleThread->RunCycle = false;
        CycleThread->RunFile = true;
    } else {
        CycleThread->RunCycle = true;
        CycleThread->RunFile = false;
    }
}

// STOP does not wait for the worker: it notices the cleared flags at its next check.
void TCommTermForm::cmdStopCycleClick()
{
    cmdStartCycle->setText(QStringLiteral("&START"));
    FileHalted = false;
    if (CycleThread != nullptr)
        CycleThread->ClearRunFlags();
    SetCycleStringsEnabled(true);
}

void TCommTermForm::SetCycleStringsEnabled(bool enabled)
{
    for (QCheckBox* box : {cbCycleString1, cbCycleString2, cbCycleString3, cbCycleString4, cbCycleString5})
        box->setEnabled(enabled);
}

void TCommTermForm::StartCycle1Click()
{
    cmdStartCycleClick();
}

void TCommTermForm::StopCycle1Click()
{
    cmdStopCycleClick();
}
