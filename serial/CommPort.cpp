#include "serial/CommPort.h"

#include "platform/Conversions.h"

#include <QThread>

#include <algorithm>

namespace {

constexpr std::uint32_t InitReadConstantMs = 2000;
constexpr std::uint32_t ShortReadConstantMs = 10;
constexpr int HighestPortNumber = 119;

platform::CommTimeouts ReadTimeouts(std::uint32_t readConstant)
{
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = platform::MaxDword;
    timeouts.ReadTotalTimeoutMultiplier = platform::MaxDword;
    timeouts.ReadTotalTimeoutConstant = readConstant;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    return timeouts;
}

// The driver takes the number of bits; the codes are one flag per size.
// An unknown code leaves the size the driver reported.
std::uint8_t ByteSizeForCode(std::int32_t code, std::uint8_t reported)
{
    switch (code) {
    case 1: return 5;
    case 2: return 6;
    case 4: return 7;
    case 8: return 8;
    default: return reported;
    }
}

// A code that does not fit the byte field must not wrap round to a valid
// setting; 0xFF is one the line rejects.
std::uint8_t LineCode(std::int32_t code)
{
    return code >= 0 && code < 0xFF ? static_cast<std::uint8_t>(code) : 0xFF;
}

} // namespace

// How a reply is collected: polls of 1 ms for the first byte, the chunk size
// of each read, and the polls of silence that end the reply.
struct CSerialPort::ReplyPacing
{
    int FirstBytePolls;
    std::uint32_t ChunkSize;
    int SilencePolls;
};

CSerialPort::CSerialPort() = default;

bool CSerialPort::OpenCommPort(const QString& portName)
{
    PortName = portName;
    PortHandle = platform::OpenSerialPort(portName);
    if (PortHandle == platform::InvalidHandle)
        return false;
    PortOpen = true;
    return true;
}

bool CSerialPort::InitCommPort(const QString& baudRateText)
{
    return SetUpPort(InitReadConstantMs, false, [&] {
        platform::BuildCommDcb(baudRateText + QStringLiteral(",N,8,1"), PortDCB);
    });
}

bool CSerialPort::InitCommPortShortTimeout(const QString& baudRateText)
{
    return SetUpPort(ShortReadConstantMs, true, [&] {
        platform::BuildCommDcb(baudRateText + QStringLiteral(",N,8,1"), PortDCB);
    });
}

bool CSerialPort::SetCommPortProperties(const QString& baudRate, const QString& parity,
                                        const QString& dataBits, const QString& stopBits)
{
    return SetUpPort(ShortReadConstantMs, false, [&] {
        PortDCB.BaudRate = static_cast<std::uint32_t>(platform::StrToInt(baudRate));
        PortDCB.Parity = LineCode(platform::StrToInt(parity));
        PortDCB.ByteSize = ByteSizeForCode(platform::StrToInt(dataBits), PortDCB.ByteSize);
        PortDCB.StopBits = LineCode(platform::StrToInt(stopBits));
    });
}

bool CSerialPort::SetUpPort(std::uint32_t readConstant, bool rereadState,
                            const std::function<void()>& applyLineSettings)
{
    if (!PortOpen)
        return false;
    StateOK = platform::GetCommState(PortHandle, PortDCB);
    if (!StateOK)
        return DropPort();
    PortTimeouts = ReadTimeouts(readConstant);
    platform::SetCommTimeouts(PortHandle, PortTimeouts);
    if (rereadState)
        platform::GetCommState(PortHandle, PortDCB);
    SetLineFlags();
    applyLineSettings();
    StateOK = platform::SetCommState(PortHandle, PortDCB);
    if (!StateOK)
        return DropPort();
    return true;
}

void CSerialPort::SetLineFlags()
{
    PortDCB.fBinary = 1;
    PortDCB.fOutxCtsFlow = 0;
    PortDCB.fOutxDsrFlow = 0;
    PortDCB.fDtrControl = platform::DtrControlDisable;
    PortDCB.fDsrSensitivity = 0;
    PortDCB.fOutX = 0;
    PortDCB.fInX = 0;
    PortDCB.fNull = 0;
    PortDCB.fRtsControl = platform::RtsControlDisable;
    PortDCB.fAbortOnError = 1;
}

bool CSerialPort::DropPort()
{
    platform::CloseSerialPort(PortHandle);
    PortOpen = false;
    return false;
}

void CSerialPort::SetShortReadTimeouts()
{
    PortTimeouts = ReadTimeouts(ShortReadConstantMs);
    platform::SetCommTimeouts(PortHandle, PortTimeouts);
}

bool CSerialPort::PurgeRxBuffer()
{
    return platform::PurgeInput(PortHandle);
}

bool CSerialPort::WriteCommPort(const QByteArray& command, const QByteArray& terminator)
{
    BytesWritten = 0;
    const QByteArray bytes = command + terminator;
    SendTime = QDateTime::currentDateTime();
    platform::SplitTimeOfDay(SendTime.time(), SendHour, SendMin, SendSec, SendMSec);
    const platform::WriteResult result = platform::WriteSerial(
        PortHandle, bytes.constData(), static_cast<std::uint32_t>(bytes.size()), BytesWritten);
    // The handle of a device that is gone would fail every later write, also
    // once the adapter is back: the port closes, so that the next exchange
    // opens it again by its name.
    if (result == platform::WriteResult::DeviceGone)
        DropPort();
    return result == platform::WriteResult::Written;
}

int CSerialPort::ReadCommPort(QByteArray& response, QString& timeText)
{
    constexpr ReplyPacing terminalReply{100, 4, 15};
    return ReadReply(terminalReply, response, &timeText);
}

int CSerialPort::ReadCommPortLongWait(QByteArray& response)
{
    constexpr ReplyPacing settingsReply{1000, 5, 5};
    return ReadReply(settingsReply, response, nullptr);
}

int CSerialPort::ReadReply(const ReplyPacing& pacing, QByteArray& response, QString* timeText)
{
    RecvHour = RecvMin = RecvSec = RecvMSec = 0;
    std::uint32_t offset = 0;
    WaitWhileQueueEmpty(pacing.FirstBytePolls);
    bool readOK = false;
    do {
        const std::uint32_t chunk = std::min<std::uint32_t>(pacing.ChunkSize, RxBufferSize - offset);
        readOK = platform::ReadSerial(PortHandle, RxBuffer.data() + offset, chunk, BytesRead);
        if (BytesRead > 0) {
            if (timeText != nullptr)
                *timeText = StampReceipt();
            offset += BytesRead;
        }
        if (offset == RxBufferSize)
            break;
        WaitWhileQueueEmpty(pacing.SilencePolls);
    } while (readOK && !RxQueueEmpty());
    response = ResponseText(offset);
    return static_cast<int>(offset);
}

void CSerialPort::WaitWhileQueueEmpty(int polls)
{
    for (int poll = 0; poll < polls && RxQueueEmpty(); ++poll)
        QThread::msleep(1);
}

QString CSerialPort::StampReceipt()
{
    RecvTime = QDateTime::currentDateTime();
    platform::SplitTimeOfDay(RecvTime.time(), RecvHour, RecvMin, RecvSec, RecvMSec);
    return platform::TimeStampText(RecvHour, RecvMin, RecvSec, RecvMSec);
}

// An 8-bit text ends at its first zero byte; the count still covers every byte read.
QByteArray CSerialPort::ResponseText(std::uint32_t length) const
{
    const auto end = RxBuffer.begin() + length;
    return QByteArray(RxBuffer.data(), std::find(RxBuffer.begin(), end, '\0') - RxBuffer.begin());
}

bool CSerialPort::RxQueueEmpty()
{
    std::uint32_t waiting = 0;
    return !platform::InputQueueCount(PortHandle, waiting) || waiting == 0;
}

bool CSerialPort::CloseCommPort()
{
    const bool purged = platform::PurgeReadAbort(PortHandle);
    if (purged)
        platform::CloseSerialPort(PortHandle);
    PortOpen = false;
    return purged;
}

void CSerialPort::ScanCommPorts(CommPortFlags& flags)
{
    for (int number = 1; number <= HighestPortNumber; ++number) {
        if (OpenCommPort(QStringLiteral("COM%1").arg(number))) {
            flags[static_cast<std::size_t>(number)] = 1;
            CloseCommPort();
        }
    }
}
