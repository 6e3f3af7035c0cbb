#include "terminal/Main.h"

#include "platform/AnsiText.h"
#include "platform/EventGuard.h"
#include "platform/SerialDevice.h"
#include "terminal/TerminalTraffic.h"

#include <QThread>
#include <QTimer>

#include <cstring>

namespace {

constexpr std::uint32_t PollByteLimit = 900;
constexpr unsigned long PollChunkPauseMs = 5;

} // namespace

void TCommTermForm::ConnectUnsolicitedInput()
{
    connect(DelayTimer, &QTimer::timeout, this, platform::Guarded([this] { DelayTimerTimer(); }));
}

// A poll never waits for the port: while a send or the settings window holds
// it, this tick is skipped.
void TCommTermForm::DelayTimerTimer()
{
    if (!TakePortBusy())
        return;
    PortClaim claim(PortBusy);
    DeferredErrors errors;
    if (CommPort->IsCommPortOpen() && !CommPort->RxQueueEmpty())
        ShowUnsolicitedInput(errors);
    claim.Release();
    errors.ShowAll();
}

void TCommTermForm::ShowUnsolicitedInput(DeferredErrors& errors)
{
    const QString stamp = StampNow(CommPort->RecvHour, CommPort->RecvMin, CommPort->RecvSec,
                                   CommPort->RecvMSec);
    const QString text = ReadWaitingInput();
    errors.Run([&] { AppendLogEntry(ReplyColour, StampedLine(stamp, text)); });
    // Input that comes without commands must not grow the pane past its limit either.
    if (PaneLineCount() >= PaneLineLimit)
        RestartFullPane(errors);
    WaitWhileSet(SendDisplayBusy);
    ReplyDisplayBusy = true;
    AddPaneLineKeepingCaret(PaneLine(stamp, text), ReplyColour);
    isCommandError(eSendCommand->text(), text);
    ReplyDisplayBusy = false;
}

// Each read takes everything that waits, so the poll keeps up with an
// instrument that streams; the pause lets a message finish arriving, and
// anything past the bound is left for the next tick so that one tick stays short.
QString TCommTermForm::ReadWaitingInput()
{
    char* const buffer = CommPort->RxBuffer.data();
    std::uint32_t offset = 0;
    do {
        std::uint32_t read = 0;
        platform::ReadSerial(CommPort->PortHandle, buffer + offset, PollByteLimit - offset, read);
        offset += read;
        QThread::msleep(PollChunkPauseMs);
    } while (!CommPort->RxQueueEmpty() && offset < PollByteLimit);
    // 8-bit text ends at its first zero byte.
    return platform::AnsiToText(QByteArrayView(buffer, static_cast<qsizetype>(strnlen(buffer, offset))));
}
