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

QString TInstrumentSettingForm::SendInstrumentCommand(const QString& command, int mode)
{
    ReopenIfClosed();
    CommPort->PurgeRxBuffer();
    if (!CommPort->WriteCommPort(platform::TextToAnsi(command), FirstTerminator))
        ErrorInstrumentWrite(command);
    QString reply;
    if (mode == AcknowledgedCommand)
        ExchangeAcknowledged(command, reply);
    else if (mode == InstrumentQuery)
        ExchangeQuery(command, reply);
    return reply;
}

// A port that does not reopen shows itself in the write that follows.
void TInstrumentSettingForm::ReopenIfClosed()
{
    if (CommPort->IsCommPortOpen())
        return;
    CommPort->OpenCommPort(CommPort->PortName);
    CommPort->InitCommPort(CommPort->BaudRateText);
}

void TInstrumentSettingForm::ExchangeAcknowledged(const QString& command, QString& reply)
{
    ReadReply(reply);
    if (IsAcknowledged(reply))
        return;
    ResendTwice(command, reply);
    if (!IsAcknowledged(reply))
        isResponseError(command, reply);
}

void TInstrumentSettingForm::ExchangeQuery(const QString& command, QString& reply)
{
    if (ReadReply(reply) || ResendTwice(command, reply))
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

// The reply of the second resend is the one that counts.
bool TInstrumentSettingForm::ResendTwice(const QString& command, QString& reply)
{
    ResendInstrumentCommand(command);
    ReadReply(reply);
    ResendInstrumentCommand(command);
    return ReadReply(reply);
}

void TInstrumentSettingForm::ResendInstrumentCommand(const QString& command)
{
    CommPort->PurgeRxBuffer();
    if (!CommPort->WriteCommPort(platform::TextToAnsi(command), ResendTerminator))
        ErrorInstrumentWrite(command);
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
