#include "terminal/Main.h"

#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/ControlEvents.h"
#include "platform/EventGuard.h"
#include "platform/HandOver.h"
#include "platform/PopupMenu.h"
#include "platform/Services.h"
#include "platform/StatusBar.h"
#include "platform/TextFile.h"
#include "terminal/CommLog.h"
#include "terminal/TerminalTraffic.h"

#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

namespace {

constexpr char EnterKey = 13;
constexpr int UpKey = 38;
constexpr int DownKey = 40;
constexpr unsigned long EchoPauseMs = 5;
constexpr unsigned long PaneSavePauseMs = 200;

// Empty history entries read "Command" and empty common strings "Empty".
bool IsPlaceholder(const QString& text)
{
    return text.contains(QStringLiteral("Command")) || text.contains(QStringLiteral("Empty"));
}

int NextHistoryIndex(int index, int step)
{
    constexpr int size = std::tuple_size_v<decltype(TCommTermForm::CommandArray)>;
    return ((index + step) % size + size) % size;
}

} // namespace

void DeferredErrors::ShowAll()
{
    for (const std::exception_ptr& error : Errors)
        CommApplication::ShowException(error);
    Errors.clear();
}

void TCommTermForm::ConnectSendRoad()
{
    auto& commandBox = platform::ControlEvents::Of(eSendCommand);
    commandBox.OnKeyPress = [this](char& key) { eSendCommandKeyPress(key); };
    commandBox.OnKeyDown = [this](int& key, Qt::KeyboardModifiers) { eSendCommandKeyDown(key); };
    BuildPopupMenuComTerm();
}

void TCommTermForm::BuildPopupMenuComTerm()
{
    PopupMenuComTerm = new QMenu(this);
    PopupMenuComTerm->setObjectName(QStringLiteral("PopupMenuComTerm"));
    PopupMenuComTerm->addAction(ViewCommandFileWindow1);
    PopupMenuComTerm->addAction(HideCommandFileWindow1);
    PopupMenuComTerm->addSeparator();
    PopupMenuComTerm->addAction(ClearOutgoingandIncommingWindow1);
    platform::AddMenuEntry(*PopupMenuComTerm, QStringLiteral("SaveCommTerminal1"), QStringLiteral("&Save to File"),
                           [this] { SaveCommTerminal1Click(); });
    platform::AddMenuEntry(*PopupMenuComTerm, QStringLiteral("PrintCommTerminal1"), QStringLiteral("&Print"),
                           [this] { PrintCommTerminal1Click(); });
    platform::AttachPopupMenu(*reCommTerminal, *PopupMenuComTerm);
}

// ---- The send road ----

void TCommTermForm::eSendCommandKeyPress(char& key)
{
    if (key != EnterKey)
        return;
    const QString text = eSendCommand->text();
    if (IsPlaceholder(text))
        return;
    ConfigChanged = true;
    reCommTerminal->setFocus();
    eSendCommand->setFocus();
    if (text.isEmpty())
        return;

    ClearToSend();
    PortClaim claim(PortBusy);
    if (!ReopenPortByName()) {
        ++PortLostSends;
        PortLostAction = platform::ActionScope::Current();
        claim.Release();
        cmdStopCycleClick();
        RescanUnlessClosing();
        return;
    }
    if (text != CommandArray[static_cast<std::size_t>(CommandIndex)])
        AppendCommandArray();

    DeferredErrors errors;
    EchoCommand(text, errors);
    claim.PassOn();
    SendCommand(text, ReadAndCheckReply, errors);
    ++CommandsSent;
    sbSendStatus->SetPanelText(1, QStringLiteral("Commands Sent: %1").arg(CommandsSent));
    errors.ShowAll();
}

bool TCommTermForm::TakePortBusy()
{
    bool expected = false;
    return PortBusy.compare_exchange_strong(expected, true);
}

void TCommTermForm::ClearToSend()
{
    while (!TakePortBusy()) {
        if (Closing) {
            PortBusy = true;
            return;
        }
        platform::WaitTurn();
    }
}

// A panel that lets go of its laser while the program closes finds the port
// gone like any sender, but the program is ending: a rescan would only warn
// about the port and clear the configuration-changed flag, so that the close
// would not save what the user changed.
void TCommTermForm::RescanUnlessClosing()
{
    if (!CloseBegun)
        CommPortScan1Click();
}

bool TCommTermForm::ReopenPortByName()
{
    if (CommPort->IsCommPortOpen())
        CommPort->CloseCommPort();
    return CommPort->OpenCommPort(cboCommTerminal->currentText());
}

// The pane is saved and restarted before an echo that would take it past
// its limit; a save that fails keeps the pane and the send goes on.
void TCommTermForm::EchoCommand(const QString& text, DeferredErrors& errors)
{
    const QString stamp = StampNow(CommPort->SendHour, CommPort->SendMin, CommPort->SendSec,
                                   CommPort->SendMSec);
    LineCount = PaneLineCount();
    errors.Run([&] { AppendLogEntry(SentColour, StampedLine(stamp, text)); });
    if (LineCount < PaneLineLimit) {
        AddEcho(stamp, text);
        ShowLineCount();
        return;
    }
    ShowLineCount();
    if (RestartFullPane(errors))
        LineCount = PaneLineCount();
    AddEcho(stamp, text);
}

// A save that fails keeps the pane, so that nothing shown is lost; the next
// line tries again.
bool TCommTermForm::RestartFullPane(DeferredErrors& errors)
{
    if (!errors.Run([this] { SaveCommTerminalLogFile(); }))
        return false;
    reCommTerminal->clear();
    return true;
}

void TCommTermForm::AddEcho(const QString& stamp, const QString& text)
{
    WaitWhileSet(ReplyDisplayBusy);
    SendDisplayBusy = true;
    if (IncludeCommandSent) {
        AddPaneLine(PaneLine(stamp, text), SentColour);
        reCommTerminal->moveCursor(QTextCursor::End);
    }
    SendDisplayBusy = false;
    QThread::msleep(EchoPauseMs);
}

void TCommTermForm::ShowLineCount()
{
    sbSendStatus->SetPanelText(0, QStringLiteral("Line Count: %1").arg(LineCount));
}

QString TCommTermForm::SendCommand(const QString& command, [[maybe_unused]] int mode, DeferredErrors& errors)
{
    PortClaim claim(PortBusy);
    LastCommand = command;
    CommPort->PurgeRxBuffer();
    CommPort->WriteCommPort(platform::TextToAnsi(command), TerminationBytes);
    QByteArray replyBytes;
    QString timeText;
    const int count = CommPort->ReadCommPort(replyBytes, timeText);
    const QString reply = platform::AnsiToText(replyBytes);
    if (count > 0)
        isCommandError(command, reply);
    claim.Release();

    errors.Run([&] { AppendLogEntry(ReplyColour, StampedLine(timeText, reply)); });
    ReplyDisplayBusy = true;
    if (count > 0)
        AddPaneLineKeepingCaret(PaneLine(timeText, reply), ReplyColour);
    ReplyDisplayBusy = false;
    LastResponse = reply;
    StripTerminatorFromString(LastResponse, QStringLiteral("\r"));
    return reply;
}

void TCommTermForm::isCommandError(const QString& command, const QString& reply)
{
    const int code = ErrorCodeRow(reply);
    if (code < 0)
        return;
    const auto row = static_cast<std::size_t>(code);
    ++CommLogForm->CommErrorCount[row];
    CommLogForm->CommErrorCommand[row] = command;
}

void TCommTermForm::StripTerminatorFromString(QString& text, const QString& terminator)
{
    if (terminator.isEmpty())
        return;
    const qsizetype at = text.indexOf(terminator);
    if (at >= 0)
        text.truncate(at);
}

// ---- Terminal pane and log ----

void TCommTermForm::AppendLogEntry(const QColor& colour, const QString& entry)
{
    if (!LogEnabled)
        return;
    CommLogForm->SetAttributeColor(colour);
    CommLogForm->AppendToLog(entry);
}

// The document keeps its block count, so reading it costs the same however
// full the pane is. An empty pane has no lines.
int TCommTermForm::PaneLineCount() const
{
    const QTextDocument* pane = reCommTerminal->document();
    return pane->isEmpty() ? 0 : pane->blockCount();
}

QString TCommTermForm::PaneLine(const QString& stamp, const QString& text) const
{
    return TimeStampEnabled ? StampedLine(stamp, text) : text;
}

// Added as plain text: an instrument's reply is never read as markup.
void TCommTermForm::AddPaneLine(const QString& line, const QColor& colour)
{
    QTextDocument* pane = reCommTerminal->document();
    // One edit: the new line is laid out once, when it is complete.
    QTextCursor end(pane);
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    if (!pane->isEmpty())
        end.insertBlock(QTextBlockFormat(), format);
    end.insertText(line, format);
    end.endEditBlock();
}

// A caret at the end of the pane would be carried along by the new line.
void TCommTermForm::AddPaneLineKeepingCaret(const QString& line, const QColor& colour)
{
    QTextCursor caret = reCommTerminal->textCursor();
    const int anchor = caret.anchor();
    const int position = caret.position();
    AddPaneLine(line, colour);
    caret = reCommTerminal->textCursor();
    if (caret.anchor() == anchor && caret.position() == position)
        return;
    caret.setPosition(anchor);
    caret.setPosition(position, QTextCursor::KeepAnchor);
    reCommTerminal->setTextCursor(caret);
}

QStringList TCommTermForm::PaneLines() const
{
    QStringList lines;
    const QTextDocument* pane = reCommTerminal->document();
    if (pane->isEmpty())
        return lines;
    lines.reserve(pane->blockCount());
    for (QTextBlock block = pane->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

void TCommTermForm::WaitWhileSet(const std::atomic<bool>& flag)
{
    while (flag)
        platform::WaitTurn();
}

void TCommTermForm::SaveCommTerminalLogFile()
{
    const QString fileName = AutomaticSaveFileName(QStringLiteral("Comm Terminal Output"));
    DisableLog1Click();
    platform::SaveLinesToFile(fileName, PaneLines());
    QThread::msleep(PaneSavePauseMs);
    EnableLog1Click();
}

void TCommTermForm::ClearOutgoingandIncommingWindow1Click()
{
    reCommTerminal->clear();
}

void TCommTermForm::SaveCommTerminal1Click()
{
    platform::FileDialogRequest request;
    request.Filter = QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    request.DefaultExt = QStringLiteral(".doc");
    request.OverwritePrompt = true;
    const std::optional<QString> fileName = platform::Services().SaveFileName(this, request);
    if (fileName)
        platform::SaveLinesToFile(*fileName, PaneLines());
}

void TCommTermForm::PrintCommTerminal1Click()
{
    platform::Services().PrintDocument(this, *reCommTerminal->document(),
                                       QStringLiteral("Communications Terminal"));
}

// ---- Command history ----

void TCommTermForm::AppendCommandArray()
{
    CommandIndex = NextHistoryIndex(CommandIndex, 1);
    CommandArray[static_cast<std::size_t>(CommandIndex)] = eSendCommand->text();
}

void TCommTermForm::IncCommandArray()
{
    CommandIndex = NextHistoryIndex(CommandIndex, 1);
}

void TCommTermForm::DecCommandArray()
{
    CommandIndex = NextHistoryIndex(CommandIndex, -1);
}

void TCommTermForm::eSendCommandKeyDown(int& key)
{
    if (key == UpKey)
        IncCommandArray();
    else if (key == DownKey)
        DecCommandArray();
    else
        return;
    eSendCommand->setText(CommandArray[static_cast<std::size_t>(CommandIndex)]);
    eSendCommand->selectAll();
}

// ---- Counters and display options ----

void TCommTermForm::ResetCommandsSentCount1Click()
{
    sbSendStatus->SetPanelText(1, QStringLiteral("Commands Sent: 0"));
    CommandsSent = 0;
}

void TCommTermForm::ChooseDisplayOption(bool& option, bool value, QAction* chosen, QAction* partner)
{
    option = value;
    chosen->setChecked(true);
    partner->setChecked(false);
}

void TCommTermForm::TimeStampEnable1Click()
{
    ChooseDisplayOption(TimeStampEnabled, true, TimeStampEnable1, TimeStampDisable1);
}

void TCommTermForm::TimeStampDisable1Click()
{
    ChooseDisplayOption(TimeStampEnabled, false, TimeStampDisable1, TimeStampEnable1);
}

void TCommTermForm::IncludeCommandSent1Click()
{
    ChooseDisplayOption(IncludeCommandSent, true, IncludeCommandSent1, OmitCommandSent1);
}

void TCommTermForm::OmitCommandSent1Click()
{
    ChooseDisplayOption(IncludeCommandSent, false, OmitCommandSent1, IncludeCommandSent1);
}
