#pragma once

#include <QString>

#include <cstdint>

struct termios;

// The serial device calls the port object is written against, on top of
// POSIX termios. Every call reports success or failure only; the caller
// decides what a failure means.
namespace platform {

// A descriptor of an open serial device. 0 is the value of a port object that
// never opened anything; a failed open gives InvalidHandle. Neither is ever a
// valid handle: opened devices always get a descriptor above 2.
using SerialHandle = int;
inline constexpr SerialHandle InvalidHandle = -1;

inline constexpr std::uint32_t MaxDword = 0xFFFFFFFFu;

inline constexpr std::uint8_t ParityNone = 0;
inline constexpr std::uint8_t ParityOdd = 1;
inline constexpr std::uint8_t ParityEven = 2;
inline constexpr std::uint8_t ParityMark = 3;
inline constexpr std::uint8_t ParitySpace = 4;

inline constexpr std::uint8_t StopBitsOne = 0;
inline constexpr std::uint8_t StopBitsOneAndHalf = 1;
inline constexpr std::uint8_t StopBitsTwo = 2;

inline constexpr std::uint8_t DtrControlDisable = 0;
inline constexpr std::uint8_t DtrControlEnable = 1;
inline constexpr std::uint8_t RtsControlDisable = 0;
inline constexpr std::uint8_t RtsControlEnable = 1;

// The line state of a device as the port object sees it. Only the baud rate,
// byte size, parity and stop bits reach the line; the flags are carried so
// that a state read, changed and written back keeps what the caller set.
struct DeviceControlBlock
{
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = ParityNone;
    std::uint8_t StopBits = StopBitsOne;
    std::uint8_t fBinary = 1;
    std::uint8_t fOutxCtsFlow = 0;
    std::uint8_t fOutxDsrFlow = 0;
    std::uint8_t fDtrControl = DtrControlEnable;
    std::uint8_t fDsrSensitivity = 0;
    std::uint8_t fOutX = 0;
    std::uint8_t fInX = 0;
    std::uint8_t fNull = 0;
    std::uint8_t fRtsControl = RtsControlEnable;
    std::uint8_t fAbortOnError = 0;
};

// Read and write time-outs in milliseconds. Only ReadTotalTimeoutConstant
// shapes a read here: a read returns at once with what waits, and when nothing
// waits it waits up to that long for the first byte. Writes never time out.
struct CommTimeouts
{
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// The modem lines the port object drives.
enum class ModemLine { Dtr, Rts };

// The calls that change a device's line: its termios and its modem lines.
// Every open and every SetCommState goes through them, so a test can see in
// which order they reach the device (a pseudo-terminal has no modem lines to
// read back). The base class makes the real calls.
class SerialLineCalls
{
public:
    virtual ~SerialLineCalls() = default;
    virtual bool ApplyTermios(SerialHandle handle, const termios& state);
    virtual void SetModemLine(SerialHandle handle, ModemLine line, bool raised);
};

// Routes the line calls through calls until it is given nullptr again.
void InstallSerialLineCalls(SerialLineCalls* calls);

// The device a port name stands for: <install folder>/ports/COMn when that
// entry exists, else the fixed mapping of COM1-COM96 to ttyS, ttyUSB and
// ttyACM. Empty for a malformed name, a name outside COM1..COM119, or
// COM97..COM119 without a link.
QString DevicePathForPort(const QString& portName);

// Opens the port exclusively. InvalidHandle when the port does not exist, is
// not a tty, is a ttyS node without a UART, or another descriptor holds it.
//
// A port keeps what the program last told it under its name (line state,
// modem lines, time-outs), as a Windows driver keeps it for its device: the
// open applies it before it returns, so the port object can close and reopen
// a port before every command and change nothing on the line but the brief
// DTR and RTS rise Linux makes on every open. The name is the path
// DevicePathForPort gives, unresolved: an adapter plugged in again, which may
// come back as another node behind the same ports/ link, gets the same line.
// A port that was never told a line is made raw (nothing echoed, no line-end
// translation, bytes passed unchanged) at the speed it has, by the first
// purge, read or write, so that a scan, which only opens and closes, leaves
// the line of a tty another program uses as it was; one never told its
// time-outs has all-zero ones. When the remembered state can no longer be
// applied the open fails, and the port's memory is forgotten.
SerialHandle OpenSerialPort(const QString& portName);
bool CloseSerialPort(SerialHandle handle);

bool GetCommState(SerialHandle handle, DeviceControlBlock& dcb);
// Applies the line state. A state the line cannot carry (an unlisted baud
// rate, a byte size outside 5-8, an unknown parity, 1.5 stop bits with 6-8
// data bits, 2 stop bits with 5) fails and leaves the device as it was.
bool SetCommState(SerialHandle handle, const DeviceControlBlock& dcb);
// Reads a definition of the form "9600,N,8,1" into the baud rate, parity,
// byte size and stop bits of dcb; on failure dcb is left untouched.
bool BuildCommDcb(const QString& definition, DeviceControlBlock& dcb);

// The termios a line state asks for, built from the device's current one.
// False for a state the line cannot carry; termiosState is then unchanged.
bool TermiosFromDcb(const DeviceControlBlock& dcb, termios& termiosState);
// The line state a termios describes; flags the termios does not carry keep
// the values in dcb.
void DcbFromTermios(const termios& termiosState, DeviceControlBlock& dcb);

bool SetCommTimeouts(SerialHandle handle, const CommTimeouts& timeouts);

// Number of received bytes waiting to be read.
bool InputQueueCount(SerialHandle handle, std::uint32_t& count);
// Discards the received bytes that wait.
bool PurgeInput(SerialHandle handle);
// The purge done before closing: ends any read in progress and leaves the
// waiting bytes alone. Reads here are synchronous, so it only checks that the
// handle is one of ours.
bool PurgeReadAbort(SerialHandle handle);

// How a write ended. A device that is gone (its adapter pulled, its line hung
// up) takes no byte through this handle again, even once it is back: only a
// new open by the port's name reaches it.
enum class WriteResult { Written, Failed, DeviceGone };
WriteResult WriteSerial(SerialHandle handle, const char* data, std::uint32_t length,
                        std::uint32_t& written);
bool ReadSerial(SerialHandle handle, char* buffer, std::uint32_t toRead,
                std::uint32_t& read);

} // namespace platform
