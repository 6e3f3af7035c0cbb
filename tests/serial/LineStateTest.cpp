#include "platform/SerialDevice.h"

#include "support/FakeInstrument.h"

#include <gtest/gtest.h>

#include <optional>

#include <termios.h>

using namespace platform;

namespace {

DeviceControlBlock Line(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                        std::uint8_t stopBits)
{
    DeviceControlBlock dcb;
    dcb.BaudRate = baud;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    return dcb;
}

// A termios as a freshly opened tty has it: cooked, echoing, with flow control.
termios CookedTermios()
{
    termios state{};
    state.c_iflag = ICRNL | IXON | IXOFF | BRKINT | INPCK;
    state.c_oflag = OPOST | ONLCR;
    state.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    state.c_cflag = CS8 | HUPCL | CRTSCTS | CREAD;
    state.c_cc[VMIN] = 1;
    cfsetispeed(&state, B38400);
    cfsetospeed(&state, B38400);
    return state;
}

std::optional<termios> Built(const DeviceControlBlock& dcb)
{
    termios state = CookedTermios();
    if (!TermiosFromDcb(dcb, state))
        return std::nullopt;
    return state;
}

} // namespace

TEST(TermiosFromDcb, EightNoneOneIsARawLocalLineWithoutFlowControl)
{
    const auto state = Built(Line(9600, 8, ParityNone, StopBitsOne));
    ASSERT_TRUE(state);
    EXPECT_EQ(state->c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(state->c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB), 0u);
    EXPECT_EQ(state->c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(state->c_cflag & (HUPCL | CRTSCTS), 0u);
    EXPECT_EQ(state->c_iflag & (IXON | IXOFF | ICRNL | INPCK | BRKINT), 0u);
    EXPECT_EQ(state->c_oflag & OPOST, 0u);
    EXPECT_EQ(state->c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(state->c_cc[VMIN], 0);
    EXPECT_EQ(state->c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&*state), speed_t(B9600));
    EXPECT_EQ(cfgetospeed(&*state), speed_t(B9600));
}

TEST(TermiosFromDcb, ByteSizeIsTheNumberOfBits)
{
    const std::pair<std::uint8_t, tcflag_t> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [bits, flag] : sizes) {
        const auto state = Built(Line(9600, bits, ParityNone, StopBitsOne));
        ASSERT_TRUE(state) << int(bits);
        EXPECT_EQ(state->c_cflag & CSIZE, flag) << int(bits);
    }
    // The data-bits codes 1, 2 and 4 are not sizes and must never reach the line.
    for (const std::uint8_t wrong : {0, 1, 2, 4, 9, 16})
        EXPECT_FALSE(Built(Line(9600, wrong, ParityNone, StopBitsOne))) << int(wrong);
}

TEST(TermiosFromDcb, EveryParityHasItsOwnFlags)
{
    const std::pair<std::uint8_t, tcflag_t> parities[] = {
        {ParityNone, 0},
        {ParityOdd, PARENB | PARODD},
        {ParityEven, PARENB},
        {ParityMark, PARENB | CMSPAR | PARODD},
        {ParitySpace, PARENB | CMSPAR},
    };
    for (const auto& [parity, flags] : parities) {
        const auto state = Built(Line(9600, 7, parity, StopBitsOne));
        ASSERT_TRUE(state) << int(parity);
        EXPECT_EQ(state->c_cflag & (PARENB | PARODD | CMSPAR), flags) << int(parity);
    }
    EXPECT_FALSE(Built(Line(9600, 7, 5, StopBitsOne)));
    EXPECT_FALSE(Built(Line(9600, 7, 0xFF, StopBitsOne)));
}

TEST(TermiosFromDcb, OneAndAHalfStopBitsOnlyWithFiveDataBits)
{
    const auto fiveBits = Built(Line(9600, 5, ParityNone, StopBitsOneAndHalf));
    ASSERT_TRUE(fiveBits);
    EXPECT_EQ(fiveBits->c_cflag & (CSIZE | CSTOPB), tcflag_t(CS5 | CSTOPB));
    for (const std::uint8_t bits : {6, 7, 8})
        EXPECT_FALSE(Built(Line(9600, bits, ParityNone, StopBitsOneAndHalf))) << int(bits);
}

TEST(TermiosFromDcb, TwoStopBitsNeedSixDataBitsOrMore)
{
    EXPECT_FALSE(Built(Line(9600, 5, ParityNone, StopBitsTwo)));
    for (const std::uint8_t bits : {6, 7, 8}) {
        const auto state = Built(Line(9600, bits, ParityNone, StopBitsTwo));
        ASSERT_TRUE(state) << int(bits);
        EXPECT_NE(state->c_cflag & CSTOPB, 0u) << int(bits);
    }
    EXPECT_FALSE(Built(Line(9600, 8, ParityNone, 3)));
}

TEST(TermiosFromDcb, OnlyTheOfferedBaudRatesAreAccepted)
{
    const std::pair<std::uint32_t, speed_t> rates[] = {
        {300, B300}, {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
    };
    for (const auto& [rate, speed] : rates) {
        const auto state = Built(Line(rate, 8, ParityNone, StopBitsOne));
        ASSERT_TRUE(state) << rate;
        EXPECT_EQ(cfgetospeed(&*state), speed) << rate;
    }
    for (const std::uint32_t rate : {0u, 110u, 14400u, 9601u, 230400u, MaxDword})
        EXPECT_FALSE(Built(Line(rate, 8, ParityNone, StopBitsOne))) << rate;
}

TEST(TermiosFromDcb, ARejectedStateLeavesTheTermiosAlone)
{
    termios state = CookedTermios();
    const termios before = state;
    EXPECT_FALSE(TermiosFromDcb(Line(9600, 8, ParityNone, StopBitsOneAndHalf), state));
    EXPECT_EQ(state.c_cflag, before.c_cflag);
    EXPECT_EQ(state.c_lflag, before.c_lflag);
    EXPECT_EQ(cfgetospeed(&state), cfgetospeed(&before));
}

TEST(DcbFromTermios, ReadsBackEveryStateTheLineCanCarry)
{
    for (const std::uint8_t bits : {5, 6, 7, 8}) {
        for (std::uint8_t parity = ParityNone; parity <= ParitySpace; ++parity) {
            for (std::uint8_t stop = StopBitsOne; stop <= StopBitsTwo; ++stop) {
                const DeviceControlBlock wanted = Line(57600, bits, parity, stop);
                const auto state = Built(wanted);
                if (!state)
                    continue;
                DeviceControlBlock read;
                DcbFromTermios(*state, read);
                EXPECT_EQ(read.BaudRate, 57600u);
                EXPECT_EQ(read.ByteSize, bits);
                EXPECT_EQ(read.Parity, parity) << int(bits) << int(parity) << int(stop);
                EXPECT_EQ(read.StopBits, stop) << int(bits) << int(parity) << int(stop);
            }
        }
    }
}

TEST(BuildCommDcb, ReadsTheShortDefinition)
{
    DeviceControlBlock dcb = Line(300, 5, ParityOdd, StopBitsTwo);
    ASSERT_TRUE(BuildCommDcb(QStringLiteral("9600,N,8,1"), dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Parity, ParityNone);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, StopBitsOne);

    ASSERT_TRUE(BuildCommDcb(QStringLiteral("1200,s,5,1.5"), dcb));
    EXPECT_EQ(dcb.Parity, ParitySpace);
    EXPECT_EQ(dcb.StopBits, StopBitsOneAndHalf);
}

TEST(BuildCommDcb, AMalformedDefinitionChangesNothing)
{
    const DeviceControlBlock before = Line(19200, 7, ParityEven, StopBitsTwo);
    for (const char* definition : {",N,8,1", "abc,N,8,1", "-9600,N,8,1", "9600,X,8,1",
                                   "9600,N,9,1", "9600,N,8,3", "9600,N,8", ""}) {
        DeviceControlBlock dcb = before;
        EXPECT_FALSE(BuildCommDcb(QString::fromLatin1(definition), dcb)) << definition;
        EXPECT_EQ(dcb.BaudRate, before.BaudRate) << definition;
        EXPECT_EQ(dcb.ByteSize, before.ByteSize) << definition;
    }
}

TEST(DevicePathForPort, FixedMappingCoversTheFirstNinetySixPorts)
{
    TestInstallFolder folder;
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM32")), QStringLiteral("/dev/ttyS31"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM33")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM64")), QStringLiteral("/dev/ttyUSB31"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM65")), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM96")), QStringLiteral("/dev/ttyACM31"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM97")), QString());
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM119")), QString());
}

TEST(DevicePathForPort, ALinkWinsEvenWhenItLeadsNowhere)
{
    TestInstallFolder folder;
    folder.LinkPort(3, QStringLiteral("/dev/null"));
    folder.LinkPort(119, folder.Path() + QStringLiteral("/missing"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM3")), folder.Path() + QStringLiteral("/ports/COM3"));
    EXPECT_EQ(DevicePathForPort(QStringLiteral("COM119")),
              folder.Path() + QStringLiteral("/ports/COM119"));
    EXPECT_EQ(OpenSerialPort(QStringLiteral("COM119")), InvalidHandle);
}

TEST(DevicePathForPort, NamesOutsideTheRangeOrMalformedMapToNothing)
{
    TestInstallFolder folder;
    for (const char* name : {"", "COM", "COM0", "COM120", "COM01", "COM+1", "COM1x", "COM 1",
                             "LPT1", "XCOM1", "COM4294967297"})
        EXPECT_EQ(DevicePathForPort(QString::fromLatin1(name)), QString()) << name;
}

TEST(OpenSerialPort, ADeviceThatIsNotATtyDoesNotOpen)
{
    TestInstallFolder folder;
    folder.LinkPort(6, QStringLiteral("/dev/null"));
    EXPECT_EQ(OpenSerialPort(QStringLiteral("COM6")), InvalidHandle);
}

TEST(SerialDevice, HandlesNeverOpenedAreRefused)
{
    std::uint32_t count = 7;
    char byte = 0;
    for (const SerialHandle handle : {SerialHandle{0}, InvalidHandle, SerialHandle{2}}) {
        DeviceControlBlock dcb;
        EXPECT_FALSE(GetCommState(handle, dcb));
        EXPECT_FALSE(SetCommTimeouts(handle, CommTimeouts{}));
        EXPECT_FALSE(InputQueueCount(handle, count));
        EXPECT_FALSE(PurgeInput(handle));
        EXPECT_FALSE(PurgeReadAbort(handle));
        EXPECT_FALSE(ReadSerial(handle, &byte, 1, count));
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(WriteSerial(handle, "x", 1, count));
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(CloseSerialPort(handle));
    }
}
