#pragma once

#include "platform/SerialDevice.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// Flags of the port scan, indexed by port number (COM1 to COM119); entry 0 is never set.
using CommPortFlags = std::array<std::uint8_t, 120>;

// The system's one connection to a serial port. Every operation reports
// success or failure (or a byte count); the caller decides what to tell the
// user. Callers serialise all use through the main window's port-busy flag.
// Like a failed set-up, a write that finds the device gone (its adapter
// pulled) closes the port, so that later operations see a closed port rather
// than a handle that can never write again.
class CSerialPort
{
public:
    static constexpr int RxBufferSize = 4096;

    CSerialPort();

    bool OpenCommPort(const QString& portName);
    bool InitCommPort(const QString& baudRateText);
    bool InitCommPortShortTimeout(const QString& baudRateText);
    bool SetCommPortProperties(const QString& baudRate, const QString& parity,
                               const QString& dataBits, const QString& stopBits);
    void SetShortReadTimeouts();
    bool PurgeRxBuffer();
    bool WriteCommPort(const QByteArray& command, const QByteArray& terminator);
    int ReadCommPort(QByteArray& response, QString& timeText);
    int ReadCommPortLongWait(QByteArray& response);
    bool RxQueueEmpty();
    bool IsCommPortOpen() const { return PortOpen; }
    bool CloseCommPort();
    void ScanCommPorts(CommPortFlags& flags);

    platform::SerialHandle PortHandle = 0;
    platform::DeviceControlBlock PortDCB;
    bool PortOpen = false;
    QString PortName = QStringLiteral("COMX");
    QString BaudRateText = QStringLiteral("9600");
    std::int32_t BaudRate = 9600;
    std::int32_t Parity = 0;
    std::int32_t DataBits = 8;
    std::int32_t StopBits = 0;
    bool StateOK = false;
    std::uint32_t BytesWritten = 0;
    std::uint32_t BytesRead = 0;
    platform::CommTimeouts PortTimeouts;
    std::uint16_t SendHour = 0, SendMin = 0, SendSec = 0, SendMSec = 0;
    std::uint16_t RecvHour = 0, RecvMin = 0, RecvSec = 0, RecvMSec = 0;
    QDateTime SendTime;
    QDateTime RecvTime;
    std::array<char, RxBufferSize> RxBuffer{};

private:
    struct ReplyPacing;

    bool SetUpPort(std::uint32_t readConstant, bool rereadState,
                   const std::function<void()>& applyLineSettings);
    void SetLineFlags();
    bool DropPort();
    int ReadReply(const ReplyPacing& pacing, QByteArray& response, QString* timeText);
    void WaitWhileQueueEmpty(int polls);
    QString StampReceipt();
    QByteArray ResponseText(std::uint32_t length) const;
};
