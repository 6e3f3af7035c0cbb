#include "platform/SerialDevice.h"

#include "support/FakeInstrument.h"

#include <gtest/gtest.h>

#include <tuple>

#include <termios.h>

using namespace platform;

namespace {

// A termios as a freshly opened tty has it: cooked, echoing, with flow control.
termios CookedTermios()
{
    termios state{};
    state.c_iflag = ICRNL | IXON | IXOFF | BRKINT | INPCK;
    state.c_oflag = OPOST | ONLCR;
    state.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    state.c_cflag = CS8 | HUPCL | CRTSCTS | CREAD;
    state.c_cc[VMIN] = 1;
    cfsetspeed(&state, B38400);
    return state;
}

std::tuple<std::uint32_t, int, int, int> Fields(const DeviceControlBlock& dcb)
{
    return {dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits};
}

std::tuple<tcflag_t, tcflag_t, tcflag_t, tcflag_t, speed_t, speed_t> Flags(const termios& state)
{
    return {state.c_iflag, state.c_oflag, state.c_cflag, state.c_lflag, cfgetispeed(&state), cfgetospeed(&state)};
}

std::string Described(const DeviceControlBlock& line)
{
    return QStringLiteral("%1,%2,%3,%4").arg(line.BaudRate).arg(line.ByteSize).arg(line.Parity).arg(line.StopBits)
        .toStdString();
}

} // namespace

// Every state the line can carry becomes a raw local line without flow
// control that reads back the same. The data-bits codes 1, 2 and 4 are not
// sizes and must never reach the line, nor a rate the line cannot carry
// exactly: such a state is rejected and changes nothing.
TEST(TermiosFromDcb, AStateBecomesARawLocalLineOrIsRejectedWhole)
{
    const std::tuple<DeviceControlBlock, tcflag_t, speed_t> carried[] = {
        {{300, 5, ParityNone, StopBitsOne}, CS5, B300},
        {{1200, 6, ParityOdd, StopBitsOne}, CS6 | PARENB | PARODD, B1200},
        {{2400, 7, ParityEven, StopBitsOne}, CS7 | PARENB, B2400},
        {{4800, 8, ParityMark, StopBitsOne}, CS8 | PARENB | CMSPAR | PARODD, B4800},
        {{9600, 7, ParitySpace, StopBitsOne}, CS7 | PARENB | CMSPAR, B9600},
        {{19200, 5, ParityNone, StopBitsOneAndHalf}, CS5 | CSTOPB, B19200},
        {{38400, 6, ParityNone, StopBitsTwo}, CS6 | CSTOPB, B38400},
        {{57600, 7, ParityOdd, StopBitsTwo}, CS7 | PARENB | PARODD | CSTOPB, B57600},
        {{115200, 8, ParityNone, StopBitsTwo}, CS8 | CSTOPB, B115200},
    };
    for (const auto& [line, flags, speed] : carried) {
        termios state = CookedTermios();
        ASSERT_TRUE(TermiosFromDcb(line, state)) << Described(line);
        EXPECT_EQ(std::tuple(state.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), cfgetispeed(&state),
                             cfgetospeed(&state)),
                  std::tuple(flags, speed, speed)) << Described(line);
        EXPECT_EQ(std::tuple(state.c_cflag & (CLOCAL | CREAD | HUPCL | CRTSCTS),
                             state.c_iflag & (IXON | IXOFF | ICRNL | INPCK | BRKINT), state.c_oflag & OPOST,
                             state.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), state.c_cc[VMIN], state.c_cc[VTIME]),
                  std::tuple(tcflag_t(CLOCAL | CREAD), 0u, 0u, 0u, cc_t{0}, cc_t{0})) << Described(line);
        DeviceControlBlock read;
        DcbFromTermios(state, read);
        EXPECT_EQ(Fields(read), Fields(line));
    }
    const DeviceControlBlock rejected[] = {
        {9600, 0, ParityNone, StopBitsOne}, {9600, 1, ParityNone, StopBitsOne}, {9600, 2, ParityNone, StopBitsOne},
        {9600, 4, ParityNone, StopBitsOne}, {9600, 9, ParityNone, StopBitsOne}, {9600, 7, 5, StopBitsOne},
        {9600, 7, 0xFF, StopBitsOne}, {9600, 6, ParityNone, StopBitsOneAndHalf},
        {9600, 8, ParityNone, StopBitsOneAndHalf}, {9600, 5, ParityNone, StopBitsTwo}, {9600, 8, ParityNone, 3},
        {0, 8, ParityNone, StopBitsOne}, {110, 8, ParityNone, StopBitsOne}, {14400, 8, ParityNone, StopBitsOne},
        {9601, 8, ParityNone, StopBitsOne}, {230400, 8, ParityNone, StopBitsOne}, {MaxDword, 8, ParityNone, 0},
    };
    for (const DeviceControlBlock& line : rejected) {
        termios state = CookedTermios();
        EXPECT_FALSE(TermiosFromDcb(line, state)) << Described(line);
        EXPECT_EQ(Flags(state), Flags(CookedTermios())) << Described(line);
    }
}

TEST(BuildCommDcb, ReadsTheShortDefinitionAndRejectsMalformedOnesWhole)
{
    DeviceControlBlock dcb{300, 5, ParityOdd, StopBitsTwo};
    ASSERT_TRUE(BuildCommDcb(QStringLiteral("9600,N,8,1"), dcb));
    EXPECT_EQ(Fields(dcb), Fields(DeviceControlBlock{9600, 8, ParityNone, StopBitsOne}));
    const DeviceControlBlock kept{19200, 7, ParityEven, StopBitsTwo};
    dcb = kept;
    for (const char* definition :
         {",N,8,1", "abc,N,8,1", "-9600,N,8,1", "9600,X,8,1", "9600,N,9,1", "9600,N,8,3", "9600,N,8", ""}) {
        EXPECT_FALSE(BuildCommDcb(QString::fromLatin1(definition), dcb)) << definition;
        EXPECT_EQ(Fields(dcb), Fields(kept)) << definition;
    }
}

// A link under ports/ wins, even when it leads nowhere or to no tty.
TEST(DevicePathForPort, ALinkOrTheFixedMappingOfTheFirstNinetySixPortsAndNothingElse)
{
    TestInstallFolder folder;
    folder.LinkPort(3, QStringLiteral("/dev/null"));
    folder.LinkPort(119, folder.Path() + QStringLiteral("/missing"));
    const QString link = folder.Path() + QStringLiteral("/ports/COM");
    const std::pair<const char*, QString> cases[] = {
        {"COM1", "/dev/ttyS0"},     {"COM32", "/dev/ttyS31"},  {"COM33", "/dev/ttyUSB0"},
        {"COM64", "/dev/ttyUSB31"}, {"COM65", "/dev/ttyACM0"}, {"COM96", "/dev/ttyACM31"},
        {"COM3", link + "3"}, {"COM119", link + "119"}, {"COM97", ""}, {"COM118", ""}, {"", ""}, {"COM", ""},
        {"COM0", ""}, {"COM120", ""}, {"COM01", ""}, {"COM+1", ""}, {"COM1x", ""}, {"COM 1", ""}, {"LPT1", ""},
        {"XCOM1", ""}, {"COM4294967297", ""},
    };
    for (const auto& [name, device] : cases)
        EXPECT_EQ(DevicePathForPort(QString::fromLatin1(name)), device) << name;
    EXPECT_EQ(OpenSerialPort(QStringLiteral("COM3")), InvalidHandle);
    EXPECT_EQ(OpenSerialPort(QStringLiteral("COM119")), InvalidHandle);
}
