#include "platform/SerialDevice.h"

#include "platform/InstallFolder.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int HighestPortNumber = 119;
constexpr int PortsPerDeviceFamily = 32;
// A line without flow control always drains; this only keeps a wedged device
// from holding the caller for good.
constexpr int WriteStallLimitMs = 5000;

// ---- Handles opened here, and what each port was told ----

struct ModemLineState
{
    bool DtrRaised = false;
    bool RtsRaised = false;
};

// What the program last told a port through any handle.
struct PortMemory
{
    std::optional<termios> Line;
    std::optional<ModemLineState> ModemLines;
    std::optional<CommTimeouts> Timeouts;
    std::uint64_t LastUse = 0;
};

// A port as its name leads to it: <install folder>/ports/COMn or the fixed
// device path, unresolved. Whatever node stands behind it now (an adapter
// plugged in again may come back as another node) is the port the user chose.
using PortPath = std::string;

// One entry per port path, and at most this many: far more paths than a
// machine has ports, so only the longest unused are ever dropped.
constexpr std::size_t RememberedPortsLimit = 128;

class SerialDevices
{
public:
    void Add(SerialHandle handle, const PortPath& port, const CommTimeouts& timeouts, bool lineUntold)
    {
        std::lock_guard lock(mutex);
        handles[handle] = OpenHandle{port, timeouts, lineUntold};
    }
    // True once for a handle whose port was never told a line, until one is
    // given to it: the caller makes the line raw.
    bool TakeUntoldLine(SerialHandle handle)
    {
        std::lock_guard lock(mutex);
        const auto entry = handles.find(handle);
        return entry != handles.end() && std::exchange(entry->second.LineUntold, false);
    }
    bool Remove(SerialHandle handle)
    {
        std::lock_guard lock(mutex);
        return handles.erase(handle) == 1;
    }
    bool Contains(SerialHandle handle)
    {
        std::lock_guard lock(mutex);
        return handles.count(handle) == 1;
    }
    bool SetTimeouts(SerialHandle handle, const CommTimeouts& value)
    {
        std::lock_guard lock(mutex);
        const auto entry = handles.find(handle);
        if (entry == handles.end())
            return false;
        entry->second.Timeouts = value;
        MemoryOf(entry->second.Port).Timeouts = value;
        return true;
    }
    std::optional<CommTimeouts> Timeouts(SerialHandle handle)
    {
        std::lock_guard lock(mutex);
        const auto entry = handles.find(handle);
        if (entry == handles.end())
            return std::nullopt;
        return entry->second.Timeouts;
    }
    void RememberLine(SerialHandle handle, const termios& line, ModemLineState modemLines)
    {
        std::lock_guard lock(mutex);
        const auto entry = handles.find(handle);
        if (entry == handles.end())
            return;
        entry->second.LineUntold = false;
        PortMemory& memory = MemoryOf(entry->second.Port);
        memory.Line = line;
        memory.ModemLines = modemLines;
    }
    PortMemory Recall(const PortPath& port)
    {
        std::lock_guard lock(mutex);
        const auto entry = memories.find(port);
        return entry == memories.end() ? PortMemory() : entry->second;
    }
    void Forget(const PortPath& port)
    {
        std::lock_guard lock(mutex);
        memories.erase(port);
    }

private:
    struct OpenHandle
    {
        PortPath Port;
        CommTimeouts Timeouts;
        bool LineUntold;
    };

    // Called with the mutex held.
    PortMemory& MemoryOf(const PortPath& port)
    {
        PortMemory& memory = memories[port];
        memory.LastUse = ++uses;
        DropLeastRecentlyUsed();
        return memory;
    }
    void DropLeastRecentlyUsed()
    {
        if (memories.size() <= RememberedPortsLimit)
            return;
        const auto oldest = std::min_element(memories.begin(), memories.end(),
            [](const auto& a, const auto& b) { return a.second.LastUse < b.second.LastUse; });
        memories.erase(oldest);
    }

    std::mutex mutex;
    std::map<SerialHandle, OpenHandle> handles;
    std::map<PortPath, PortMemory> memories;
    std::uint64_t uses = 0;
};

SerialDevices& Devices()
{
    static SerialDevices devices;
    return devices;
}

// ---- The calls that change the line ----

std::atomic<SerialLineCalls*> installedLineCalls{nullptr};

SerialLineCalls& LineCalls()
{
    static SerialLineCalls systemCalls;
    SerialLineCalls* const installed = installedLineCalls.load();
    return installed != nullptr ? *installed : systemCalls;
}

// ---- Port names and devices ----

std::optional<int> PortNumber(const QString& portName)
{
    if (!portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return std::nullopt;
    const QString digits = portName.mid(3);
    if (digits.isEmpty() || digits.size() > 3 || digits.startsWith(QLatin1Char('0')))
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int number = digits.toInt();
    if (number < 1 || number > HighestPortNumber)
        return std::nullopt;
    return number;
}

QString FixedDevicePath(int portNumber)
{
    static const std::array<const char*, 3> families = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
    const int family = (portNumber - 1) / PortsPerDeviceFamily;
    if (family >= static_cast<int>(families.size()))
        return {};
    const int index = (portNumber - 1) % PortsPerDeviceFamily;
    return QLatin1String(families[family]) + QString::number(index);
}

bool EntryExists(const QString& path)
{
    struct stat info{};
    return ::lstat(path.toLocal8Bit().constData(), &info) == 0;
}

// Keeps opened devices clear of 0 (a port object that never opened) and of
// the standard streams.
int MoveAboveStandardStreams(int fd)
{
    if (fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

int OpenDevice(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return fd < 0 ? fd : MoveAboveStandardStreams(fd);
}

bool IsUartNode(const QString& path)
{
    char* resolved = ::realpath(path.toLocal8Bit().constData(), nullptr);
    if (resolved == nullptr)
        return false;
    const bool uart = QByteArray(resolved).startsWith("/dev/ttyS");
    std::free(resolved);
    return uart;
}

// Every ttyS node exists whether or not a UART sits behind it.
bool UartMissing(int fd)
{
    serial_struct info{};
    return ::ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type == PORT_UNKNOWN;
}

bool IsUsableTty(int fd, const QString& path)
{
    if (!::isatty(fd))
        return false;
    return !(IsUartNode(path) && UartMissing(fd));
}

// flock keeps out every other descriptor, TIOCEXCL every other open.
bool TakeExclusive(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(fd, TIOCEXCL) == 0;
}

// ---- Line state ----

struct SpeedEntry
{
    std::uint32_t Rate;
    speed_t Speed;
};

// The rates the line may be set to.
constexpr std::array<SpeedEntry, 9> SettableSpeeds = {{
    {300, B300}, {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
}};

// Rates a device may report, set by whoever used it before.
constexpr std::array<SpeedEntry, 14> OtherSpeeds = {{
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200},
    {600, B600}, {1800, B1800}, {230400, B230400}, {460800, B460800},
    {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
}};

std::optional<speed_t> SpeedForRate(std::uint32_t rate)
{
    for (const SpeedEntry& entry : SettableSpeeds) {
        if (entry.Rate == rate)
            return entry.Speed;
    }
    return std::nullopt;
}

template <std::size_t Size>
std::optional<std::uint32_t> FindRate(const std::array<SpeedEntry, Size>& table, speed_t speed)
{
    for (const SpeedEntry& entry : table) {
        if (entry.Speed == speed)
            return entry.Rate;
    }
    return std::nullopt;
}

std::uint32_t RateForSpeed(speed_t speed)
{
    return FindRate(SettableSpeeds, speed).value_or(FindRate(OtherSpeeds, speed).value_or(0));
}

std::optional<tcflag_t> CharacterSize(std::uint8_t byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return std::nullopt;
    }
}

std::optional<tcflag_t> ParityFlags(std::uint8_t parity)
{
    switch (parity) {
    case ParityNone: return tcflag_t{0};
    case ParityOdd: return tcflag_t{PARENB | PARODD};
    case ParityEven: return tcflag_t{PARENB};
    case ParityMark: return tcflag_t{PARENB | CMSPAR | PARODD};
    case ParitySpace: return tcflag_t{PARENB | CMSPAR};
    default: return std::nullopt;
    }
}

// A UART sends 1.5 stop bits when asked for two with 5 data bits, so CSTOPB
// means 1.5 with CS5 and 2 otherwise; the other pairings cannot be carried.
std::optional<tcflag_t> StopFlags(std::uint8_t stopBits, std::uint8_t byteSize)
{
    switch (stopBits) {
    case StopBitsOne: return tcflag_t{0};
    case StopBitsOneAndHalf:
        return byteSize == 5 ? std::optional<tcflag_t>(CSTOPB) : std::nullopt;
    case StopBitsTwo:
        return byteSize != 5 ? std::optional<tcflag_t>(CSTOPB) : std::nullopt;
    default: return std::nullopt;
    }
}

void MakeRaw(termios& state)
{
    state.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR
                               | IGNCR | ICRNL | IUCLC | IXON | IXOFF | IXANY | IMAXBEL);
    state.c_oflag &= ~tcflag_t(OPOST);
    state.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    state.c_cc[VMIN] = 0;
    state.c_cc[VTIME] = 0;
}

// Unix98 pty slaves; a pty carries no bits on a wire, so it keeps 8 data bits
// and no parity whatever it is given.
bool IsPseudoTerminal(int fd)
{
    constexpr unsigned FirstPtySlaveMajor = 136;
    constexpr unsigned LastPtySlaveMajor = 143;
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned deviceMajor = major(info.st_rdev);
    return deviceMajor >= FirstPtySlaveMajor && deviceMajor <= LastPtySlaveMajor;
}

ModemLineState ModemLinesOf(const DeviceControlBlock& dcb)
{
    return {dcb.fDtrControl != DtrControlDisable, dcb.fRtsControl != RtsControlDisable};
}

// Lowered after the termios: a speed change from B0 raises both lines again.
void ApplyModemLines(SerialHandle handle, ModemLineState lines)
{
    LineCalls().SetModemLine(handle, ModemLine::Dtr, lines.DtrRaised);
    LineCalls().SetModemLine(handle, ModemLine::Rts, lines.RtsRaised);
}

bool ApplyMemory(SerialHandle handle, const PortMemory& memory)
{
    if (memory.Line && !LineCalls().ApplyTermios(handle, *memory.Line))
        return false;
    if (memory.ModemLines)
        ApplyModemLines(handle, *memory.ModemLines);
    return true;
}

// A line the program never set is made raw before the first byte goes either
// way: a Windows handle passes bytes unchanged, while a new tty echoes what it
// receives and translates line ends. A port only opened and closed again (a
// scan) keeps the line it had, which another program may be using.
bool MakeUntoldLineRaw(SerialHandle handle)
{
    if (!Devices().TakeUntoldLine(handle))
        return true;
    termios state{};
    if (::tcgetattr(handle, &state) != 0)
        return false;
    MakeRaw(state);
    return LineCalls().ApplyTermios(handle, state);
}

std::optional<std::uint8_t> ParityFromLetter(const QString& letter)
{
    static const QString letters = QStringLiteral("NOEMS");
    if (letter.size() != 1)
        return std::nullopt;
    const auto index = letters.indexOf(letter.toUpper());
    if (index < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(index);
}

std::optional<std::uint8_t> StopBitsFromText(const QString& text)
{
    if (text == QLatin1String("1"))
        return StopBitsOne;
    if (text == QLatin1String("1.5"))
        return StopBitsOneAndHalf;
    if (text == QLatin1String("2"))
        return StopBitsTwo;
    return std::nullopt;
}

std::optional<std::uint8_t> ByteSizeFromText(const QString& text)
{
    bool ok = false;
    const int size = text.toInt(&ok);
    if (!ok || size < 5 || size > 8)
        return std::nullopt;
    return static_cast<std::uint8_t>(size);
}

std::optional<std::uint32_t> BaudFromText(const QString& text)
{
    bool ok = false;
    const std::uint32_t rate = text.toUInt(&ok);
    if (!ok || rate == 0)
        return std::nullopt;
    return rate;
}

// ---- Waiting on the device ----

int ClampedMs(std::uint32_t ms)
{
    return ms > static_cast<std::uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

// poll's result for one descriptor (ready > 0, time-out 0, failure < 0),
// resumed after signals until the time limit.
int PollFor(SerialHandle handle, short events, int limitMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    pollfd entry{handle, events, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - Clock::now()).count();
        const int result = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left)));
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// A tty is hung up when its adapter is pulled (or a pty's other side
// closes): every later write fails with EIO and poll reports the hang-up. A
// device removed under an open descriptor reports ENXIO or ENODEV.
bool IsGone(SerialHandle handle, int writeError)
{
    if (writeError == EIO || writeError == ENXIO || writeError == ENODEV)
        return true;
    pollfd entry{handle, POLLOUT, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR)) != 0;
}

} // namespace

// ---- The calls that change the line ----

// The C library reads the state back after setting it and reports EINVAL when
// the driver changed the size or parity: a UART that cannot carry them. On a
// pty that is always so, and the rest of the state was applied.
bool SerialLineCalls::ApplyTermios(SerialHandle handle, const termios& state)
{
    if (::tcsetattr(handle, TCSANOW, &state) == 0)
        return true;
    return errno == EINVAL && IsPseudoTerminal(handle);
}

// Modem lines exist only on real UARTs; a device without them (a pty, some
// adapters) refuses the call, which changes nothing on the line.
void SerialLineCalls::SetModemLine(SerialHandle handle, ModemLine line, bool raised)
{
    const int bit = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    (void)::ioctl(handle, raised ? TIOCMBIS : TIOCMBIC, &bit);
}

void InstallSerialLineCalls(SerialLineCalls* calls)
{
    installedLineCalls.store(calls);
}

// ---- Opening and closing ----

QString DevicePathForPort(const QString& portName)
{
    const std::optional<int> number = PortNumber(portName);
    if (!number)
        return {};
    const QString link = InstallFolder::File(QStringLiteral("ports/COM%1").arg(*number));
    return EntryExists(link) ? link : FixedDevicePath(*number);
}

SerialHandle OpenSerialPort(const QString& portName)
{
    const QString path = DevicePathForPort(portName);
    if (path.isEmpty())
        return InvalidHandle;
    const int fd = OpenDevice(path);
    if (fd < 0)
        return InvalidHandle;
    if (!IsUsableTty(fd, path) || !TakeExclusive(fd)) {
        ::close(fd);
        return InvalidHandle;
    }
    const PortPath port = path.toStdString();
    const PortMemory memory = Devices().Recall(port);
    if (!ApplyMemory(fd, memory)) {
        Devices().Forget(port);
        ::close(fd);
        return InvalidHandle;
    }
    Devices().Add(fd, port, memory.Timeouts.value_or(CommTimeouts{}), !memory.Line.has_value());
    return fd;
}

bool CloseSerialPort(SerialHandle handle)
{
    if (!Devices().Remove(handle))
        return false;
    // The exclusive mark outlives the descriptor on a tty that stays in use
    // (a pty whose other side is open), so it is lifted before closing.
    (void)::ioctl(handle, TIOCNXCL);
    return ::close(handle) == 0;
}

// ---- Line state ----

bool TermiosFromDcb(const DeviceControlBlock& dcb, termios& termiosState)
{
    const std::optional<speed_t> speed = SpeedForRate(dcb.BaudRate);
    const std::optional<tcflag_t> size = CharacterSize(dcb.ByteSize);
    const std::optional<tcflag_t> parity = ParityFlags(dcb.Parity);
    const std::optional<tcflag_t> stop = StopFlags(dcb.StopBits, dcb.ByteSize);
    if (!speed || !size || !parity || !stop)
        return false;

    termios state = termiosState;
    MakeRaw(state);
    state.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    state.c_cflag |= *size | *parity | *stop | CLOCAL | CREAD;
    if (::cfsetispeed(&state, *speed) != 0 || ::cfsetospeed(&state, *speed) != 0)
        return false;
    termiosState = state;
    return true;
}

void DcbFromTermios(const termios& termiosState, DeviceControlBlock& dcb)
{
    const tcflag_t cflag = termiosState.c_cflag;
    dcb.BaudRate = RateForSpeed(::cfgetospeed(&termiosState));
    switch (cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    if ((cflag & PARENB) == 0)
        dcb.Parity = ParityNone;
    else if ((cflag & CMSPAR) != 0)
        dcb.Parity = (cflag & PARODD) != 0 ? ParityMark : ParitySpace;
    else
        dcb.Parity = (cflag & PARODD) != 0 ? ParityOdd : ParityEven;
    if ((cflag & CSTOPB) == 0)
        dcb.StopBits = StopBitsOne;
    else
        dcb.StopBits = dcb.ByteSize == 5 ? StopBitsOneAndHalf : StopBitsTwo;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = (cflag & CRTSCTS) != 0 ? 1 : 0;
    dcb.fOutX = (termiosState.c_iflag & IXON) != 0 ? 1 : 0;
    dcb.fInX = (termiosState.c_iflag & IXOFF) != 0 ? 1 : 0;
}

bool GetCommState(SerialHandle handle, DeviceControlBlock& dcb)
{
    termios state{};
    if (!Devices().Contains(handle) || ::tcgetattr(handle, &state) != 0)
        return false;
    DeviceControlBlock reported;
    DcbFromTermios(state, reported);
    dcb = reported;
    return true;
}

bool SetCommState(SerialHandle handle, const DeviceControlBlock& dcb)
{
    termios state{};
    if (!Devices().Contains(handle) || ::tcgetattr(handle, &state) != 0)
        return false;
    if (!TermiosFromDcb(dcb, state) || !LineCalls().ApplyTermios(handle, state))
        return false;
    ApplyModemLines(handle, ModemLinesOf(dcb));
    Devices().RememberLine(handle, state, ModemLinesOf(dcb));
    return true;
}

bool BuildCommDcb(const QString& definition, DeviceControlBlock& dcb)
{
    const QStringList parts = definition.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    const auto baud = BaudFromText(parts[0].trimmed());
    const auto parity = ParityFromLetter(parts[1].trimmed());
    const auto byteSize = ByteSizeFromText(parts[2].trimmed());
    const auto stopBits = StopBitsFromText(parts[3].trimmed());
    if (!baud || !parity || !byteSize || !stopBits)
        return false;
    dcb.BaudRate = *baud;
    dcb.Parity = *parity;
    dcb.ByteSize = *byteSize;
    dcb.StopBits = *stopBits;
    return true;
}

bool SetCommTimeouts(SerialHandle handle, const CommTimeouts& timeouts)
{
    return Devices().SetTimeouts(handle, timeouts);
}

// ---- Queue, purge, read and write ----

bool InputQueueCount(SerialHandle handle, std::uint32_t& count)
{
    int waiting = 0;
    if (!Devices().Contains(handle) || ::ioctl(handle, FIONREAD, &waiting) != 0)
        return false;
    count = static_cast<std::uint32_t>(std::max(waiting, 0));
    return true;
}

bool PurgeInput(SerialHandle handle)
{
    return Devices().Contains(handle) && MakeUntoldLineRaw(handle) && ::tcflush(handle, TCIFLUSH) == 0;
}

bool PurgeReadAbort(SerialHandle handle)
{
    return Devices().Contains(handle) && ::fcntl(handle, F_GETFD) != -1;
}

WriteResult WriteSerial(SerialHandle handle, const char* data, std::uint32_t length,
                        std::uint32_t& written)
{
    written = 0;
    if (!Devices().Contains(handle))
        return WriteResult::Failed;
    if (!MakeUntoldLineRaw(handle))
        return IsGone(handle, errno) ? WriteResult::DeviceGone : WriteResult::Failed;
    while (written < length) {
        const ssize_t sent = ::write(handle, data + written, length - written);
        const int error = sent < 0 ? errno : 0;
        if (sent > 0) {
            written += static_cast<std::uint32_t>(sent);
            continue;
        }
        if (error == EINTR)
            continue;
        if (error == EAGAIN && PollFor(handle, POLLOUT, WriteStallLimitMs) > 0)
            continue;
        return IsGone(handle, error) ? WriteResult::DeviceGone : WriteResult::Failed;
    }
    return WriteResult::Written;
}

bool ReadSerial(SerialHandle handle, char* buffer, std::uint32_t toRead, std::uint32_t& read)
{
    read = 0;
    const std::optional<CommTimeouts> timeouts = Devices().Timeouts(handle);
    if (!timeouts || !MakeUntoldLineRaw(handle))
        return false;
    if (toRead == 0)
        return true;
    if (PollFor(handle, POLLIN, ClampedMs(timeouts->ReadTotalTimeoutConstant)) < 0)
        return false;
    const ssize_t received = ::read(handle, buffer, toRead);
    if (received > 0) {
        read = static_cast<std::uint32_t>(received);
        return true;
    }
    // Nothing arrived within the time-out; a hung-up line reports an error.
    return received == 0 || errno == EAGAIN;
}

} // namespace platform
