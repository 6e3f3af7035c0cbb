#include "settings_transfer/InstrumentSetting.h"

#include "platform/AnsiText.h"
#include "serial/CommPort.h"

namespace {

// Whatever terminator the terminal uses, the first write of a command ends in
// CR LF and every resend in CR alone.
const QByteArray FirstTerminator = QByteArrayLiteral("\r\n");
const QByteArray ResendTerminator = QByteArrayLiteral("\r");

// Instrument error codes in the order they are tried; the first one the reply
// holds anywhere decides. "?3" is no error and ends the search.
struct ErrorCode
{
    const char* Text;
    bool IsError;
    bool Reported;  // shown in a message box
};
constexpr ErrorCode ErrorCodes[] = {
    {"?E0", true, false}, {"?E1", true, false}, {"?E2", true, false}, {"?E3", true, false},
    {"?E4", true, false}, {"?E5", true, false}, {"?E6", true, false}, {"?E7", true, false},
    {"?E8", true, false}, {"?E9", true, false},
    {"?1", true, true},   {"?2", true, true},   {"?3", false, false}, {"?4", true, true},
    {"?5", true, true},   {"?6", true, true},   {"?7", true, true},
};

// Either spelling anywhere in the reply, also inside a longer word.
bool IsAcknowledged(const QString& reply)
{
    return reply.contains(QLatin1String("ok")) || reply.contains(QLatin1String("OK"));
}

} // namespace

// A command that cannot be written is reported once and the exchange ends
// there: an adapter that is gone would fail every resend too, each with a box
// of its own.
QString TInstrumentSettingForm::SendInstrumentCommand(const QString& command, int mode)
{
    ReopenIfClosed();
    CommPort->PurgeRxBuffer();
    QString reply;
    if (!WriteInstrumentCommand(command, FirstTerminator))
        return reply;
    if (mode == AcknowledgedCommand)
        ExchangeAcknowledged(command, reply);
    else if (mode == InstrumentQuery)
        ExchangeQuery(command, reply);
    return reply;
}

bool TInstrumentSettingForm::WriteFailed() const
{
    return TransferWriteFailed;
}

// A port that does not reopen shows itself in the write that follows.
void TInstrumentSettingForm::ReopenIfClosed()
{
    if (CommPort->IsCommPortOpen())
        return;
    CommPort->OpenCommPort(CommPort->PortName);
    CommPort->InitCommPort(CommPort->BaudRateText);
}

bool TInstrumentSettingForm::WriteInstrumentCommand(const QString& command, const QByteArray& terminator)
{
    if (CommPort->WriteCommPort(platform::TextToAnsi(command), terminator))
        return true;
    TransferWriteFailed = true;
    ErrorInstrumentWrite(command);
    return false;
}

void TInstrumentSettingForm::ExchangeAcknowledged(const QString& command, QString& reply)
{
    ReadReply(reply);
    if (IsAcknowledged(reply))
        return;
    if (ResendTwice(command, reply) && !IsAcknowledged(reply))
        isResponseError(command, reply);
}

void TInstrumentSettingForm::ExchangeQuery(const QString& command, QString& reply)
{
    if (ReadReply(reply) || (ResendTwice(command, reply) && !reply.isEmpty()))
        isResponseError(command, reply);
}

// True when at least one byte came.
bool TInstrumentSettingForm::ReadReply(QString& reply)
{
    QByteArray bytes;
    const int count = CommPort->ReadCommPortLongWait(bytes);
    reply = platform::AnsiToText(bytes);
    return count > 0;
}

// The reply of the second resend is the one that counts. False when a resend
// could not be written; the reply is then the last one read.
bool TInstrumentSettingForm::ResendTwice(const QString& command, QString& reply)
{
    for (int resend = 0; resend < 2; ++resend) {
        if (!ResendInstrumentCommand(command))
            return false;
        ReadReply(reply);
    }
    return true;
}

bool TInstrumentSettingForm::ResendInstrumentCommand(const QString& command)
{
    CommPort->PurgeRxBuffer();
    return WriteInstrumentCommand(command, ResendTerminator);
}

bool TInstrumentSettingForm::isResponseError(const QString& command, const QString& reply)
{
    for (const ErrorCode& code : ErrorCodes) {
        if (!reply.contains(QLatin1String(code.Text)))
            continue;
        if (code.Reported)
            ErrorInstrumentResponse(QLatin1String(code.Text), command);
        return code.IsError;
    }
    return false;
}

void TInstrumentSettingForm::ErrorInstrumentWrite(const QString& command)
{
    platform::Services().ShowMessage(this, QStringLiteral("Serial Write Failure"),
                                     QStringLiteral("Serial Write Failed writing: ") + command,
                                     platform::MessageIcon::Error);
}

void TInstrumentSettingForm::ErrorInstrumentResponse(const QString& code, const QString& command)
{
    platform::Services().ShowMessage(this, QStringLiteral("Error Reponse Received"),
                                     QStringLiteral("Serial Write resulted in an error response: \r\n ") + code
                                         + QStringLiteral(" from command ") + command,
                                     platform::MessageIcon::Error);
}
