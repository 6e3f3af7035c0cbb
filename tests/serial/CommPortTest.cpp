#include "serial/CommPort.h"

#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include "support/FakeInstrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

FakeReply Pieces(const char* bytes, int pieceSize, int pauseMs, int delayMs = 0)
{
    FakeReply reply(bytes);
    reply.PieceSize = pieceSize;
    reply.PauseMs = pauseMs;
    reply.DelayMs = delayMs;
    return reply;
}

// Records the line calls in the order they reach the device, and makes them.
class RecordedLineCalls : public platform::SerialLineCalls
{
public:
    RecordedLineCalls() { platform::InstallSerialLineCalls(this); }
    ~RecordedLineCalls() override { platform::InstallSerialLineCalls(nullptr); }

    bool ApplyTermios(platform::SerialHandle handle, const termios& state) override
    {
        platform::DeviceControlBlock line;
        platform::DcbFromTermios(state, line);
        Calls << QStringLiteral("line %1,%2,%3,%4").arg(line.BaudRate).arg(line.ByteSize).arg(line.Parity).arg(line.StopBits);
        return SerialLineCalls::ApplyTermios(handle, state);
    }
    void SetModemLine(platform::SerialHandle handle, platform::ModemLine which, bool raised) override
    {
        Calls << QString::fromLatin1(which == platform::ModemLine::Dtr ? "DTR " : "RTS ") + (raised ? "up" : "down");
        SerialLineCalls::SetModemLine(handle, which, raised);
    }
    QStringList Calls;
};

class CommPortTest : public ::testing::Test
{
protected:
    bool SetLine(const char* baud, const char* parity, const char* dataBits, const char* stopBits)
    {
        return port.SetCommPortProperties(baud, parity, dataBits, stopBits);
    }
    void OpenConfigured()
    {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        ASSERT_TRUE(SetLine("9600", "0", "8", "0"));
    }
    // What the terminal's read gives for bytes the instrument sent, once they all wait.
    QByteArray Exchange(const QByteArray& reply, QString* timeText = nullptr)
    {
        instrument.Send(reply);
        EXPECT_TRUE(instrument.WaitForQueued(static_cast<int>(reply.size())));
        QByteArray response;
        QString time;
        EXPECT_EQ(port.ReadCommPort(response, time), reply.size());
        if (timeText != nullptr)
            *timeText = time;
        return response;
    }

    TestInstallFolder folder;
    FakeInstrument instrument{5};
    CSerialPort port;
};

} // namespace

TEST_F(CommPortTest, AFreshObjectIsClosedWithTheDefaultLineAndRefusesEveryOperation)
{
    EXPECT_EQ(std::tuple(port.IsCommPortOpen(), port.PortName, port.BaudRateText, port.BaudRate, port.Parity,
                         port.DataBits, port.StopBits),
              std::tuple(false, QStringLiteral("COMX"), QStringLiteral("9600"), 9600, 0, 8, 0));
    EXPECT_TRUE(std::all_of(port.RxBuffer.begin(), port.RxBuffer.end(), [](char c) { return c == 0; }));
    EXPECT_FALSE(port.InitCommPort("9600") || port.InitCommPortShortTimeout("9600") || SetLine("9600", "0", "8", "0")
                 || port.StateOK || port.PortTimeouts.ReadTotalTimeoutConstant != 0);
    port.BytesWritten = 5;
    EXPECT_FALSE(port.WriteCommPort("x", "\r\n"));
    EXPECT_EQ(port.BytesWritten, 0u);
    EXPECT_TRUE(port.RxQueueEmpty());
    EXPECT_FALSE(port.PurgeRxBuffer() || port.CloseCommPort());
}

// A missing port keeps the open flag as it was; a port another descriptor
// holds does not open until it is released.
TEST_F(CommPortTest, OpeningAMissingOrHeldPortFails)
{
    EXPECT_FALSE(port.OpenCommPort("COM100"));
    EXPECT_EQ(std::tuple(port.PortName, port.PortHandle, port.IsCommPortOpen()),
              std::tuple(QStringLiteral("COM100"), platform::InvalidHandle, false));
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    const platform::SerialHandle held = port.PortHandle;
    EXPECT_FALSE(port.OpenCommPort("COM100"));
    EXPECT_TRUE(port.IsCommPortOpen());
    // The close purge fails on the invalid handle: the port counts as closed, but nothing is closed.
    EXPECT_FALSE(port.CloseCommPort() || port.IsCommPortOpen());
    CSerialPort second;
    EXPECT_FALSE(second.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(platform::CloseSerialPort(held));
    const int other = ::open(instrument.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(second.OpenCommPort(instrument.PortName()));
    ::close(other);
    EXPECT_TRUE(second.OpenCommPort(instrument.PortName()));
}

// The data-bits code becomes the number of bits; a state the line cannot
// carry fails the set-up, which closes the port and releases it.
TEST_F(CommPortTest, LineCodesBecomeTheDeviceStateOrCloseThePort)
{
    struct Case { const char *Baud, *Parity, *DataBits, *StopBits; bool Accepted; std::uint8_t Bits; tcflag_t Size; };
    const Case cases[] = {
        {"9600", "0", "1", "1", true, 5, CS5},   {"9600", "1", "2", "0", true, 6, CS6},
        {"4800", "4", "4", "2", true, 7, CS7},   {"9600", "2", "8", "0", true, 8, CS8},
        {"9600", "0", "1", "2", false, 0, 0},    // 2 stop bits with 5 data bits
        {"9600", "0", "8", "1", false, 0, 0},    // 1.5 stop bits with 8 data bits
        {"14400", "0", "8", "0", false, 0, 0},   // a rate the dialog never offers
        {"9600", "256", "8", "0", false, 0, 0},  // a parity code that must not wrap to None
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Baud) + "," + c.Parity + "," + c.DataBits + "," + c.StopBits);
        if (!port.IsCommPortOpen()) {
            ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        }
        ASSERT_EQ(SetLine(c.Baud, c.Parity, c.DataBits, c.StopBits), c.Accepted);
        EXPECT_EQ(std::tuple(port.StateOK, port.IsCommPortOpen()), std::tuple(c.Accepted, c.Accepted));
        if (!c.Accepted)
            continue;
        EXPECT_EQ(std::tuple(port.PortDCB.ByteSize, int(port.PortDCB.Parity), int(port.PortDCB.StopBits)),
                  std::tuple(c.Bits, QString(c.Parity).toInt(), QString(c.StopBits).toInt()));
        // A pty always reads back 8 bits, so the line is checked as the layer builds it.
        termios line = instrument.SlaveTermios();
        ASSERT_TRUE(platform::TermiosFromDcb(port.PortDCB, line));
        EXPECT_EQ(line.c_cflag & CSIZE, c.Size);
    }
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_THROW(SetLine("fast", "0", "8", "0"), EConvertError);
}

TEST_F(CommPortTest, SetUpMakesTheLineRawWithTheOperationsReadTimeout)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    ASSERT_TRUE(port.InitCommPort("19200"));
    EXPECT_EQ(std::tuple(port.PortTimeouts.ReadIntervalTimeout, port.PortTimeouts.ReadTotalTimeoutConstant),
              std::tuple(platform::MaxDword, 2000u));
    EXPECT_EQ(std::tuple(port.PortDCB.fDtrControl, port.PortDCB.fRtsControl, port.PortDCB.fAbortOnError),
              std::tuple(platform::DtrControlDisable, platform::RtsControlDisable, std::uint8_t{1}));
    // The pty starts cooked and echoing; what it reads back is what the device got.
    const termios line = instrument.SlaveTermios();
    EXPECT_EQ(std::tuple(cfgetospeed(&line), line.c_lflag & (ICANON | ECHO | ISIG), line.c_oflag & OPOST),
              std::tuple(speed_t(B19200), 0u, 0u));
    ASSERT_TRUE(port.InitCommPortShortTimeout("115200"));
    const termios faster = instrument.SlaveTermios();
    EXPECT_EQ(std::tuple(port.PortTimeouts.ReadTotalTimeoutConstant, cfgetospeed(&faster)), std::tuple(10u, speed_t(B115200)));
}

// A device keeps what it was told through any handle: every later open gives
// the line back before it returns, and the modem lines after it (a speed
// change raises them again). A device without history, or a new one behind
// the same name, opens as the kernel leaves it.
TEST(DeviceMemory, AReopenAppliesTheLineThenLowersTheModemLinesBeforeItReturns)
{
    TestInstallFolder folder;
    std::optional<FakeInstrument> device(std::in_place, 7);
    RecordedLineCalls calls;
    CSerialPort port;
    ASSERT_TRUE(port.OpenCommPort("COM7"));
    EXPECT_EQ(calls.Calls, QStringList());
    ASSERT_TRUE(port.SetCommPortProperties("19200", "2", "4", "2"));
    const QStringList told{"line 19200,7,2,2", "DTR down", "RTS down"};
    EXPECT_EQ(calls.Calls, told);
    for (int reopen = 1; reopen <= 2; ++reopen) {
        calls.Calls.clear();
        ASSERT_TRUE(port.CloseCommPort());
        ASSERT_TRUE(port.OpenCommPort("COM7"));
        calls.Calls << "returned";
        EXPECT_EQ(calls.Calls, told + QStringList{"returned"}) << reopen;
    }
    ASSERT_TRUE(port.CloseCommPort());
    device.reset();
    device.emplace(7);
    calls.Calls.clear();
    ASSERT_TRUE(port.OpenCommPort("COM7"));
    EXPECT_EQ(calls.Calls, QStringList());
}

// The first byte is awaited for 100 polls of 1 ms (1000 in the settings
// transfer's read) and the read constant; 15 polls of silence end a reply,
// a shorter pause does not. Whatever a read leaves stays queued.
TEST_F(CommPortTest, SilenceEndsAReplyAndTheFirstByteIsAwaitedForItsPolls)
{
    struct Case { const char* Name; FakeReply Reply; bool LongWait; QByteArray FirstRead; };
    const Case cases[] = {
        {"pause of 6 ms", Pieces("AAAABBBB", 4, 6), false, "AAAABBBB"},
        {"pause of 400 ms", Pieces("AAAABBBB", 4, 400), false, "AAAA"},
        {"first byte after 70 ms", Pieces("LATE", 0, 0, 70), false, "LATE"},
        {"first byte after 600 ms", Pieces("LATE", 0, 0, 600), false, ""},
        {"long wait, first byte after 400 ms", Pieces("LATE", 0, 0, 400), true, "LATE"},
    };
    OpenConfigured();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        instrument.SetRule([&c](const QByteArray&) { return c.Reply; });
        ASSERT_TRUE(port.WriteCommPort("go", "\r\n"));
        QByteArray response;
        QString time;
        const int count = c.LongWait ? port.ReadCommPortLongWait(response) : port.ReadCommPort(response, time);
        EXPECT_EQ(std::tuple(count, response), std::tuple(int(c.FirstRead.size()), c.FirstRead));
        ASSERT_TRUE(instrument.WaitForQueued(static_cast<int>(c.Reply.Bytes.size() - c.FirstRead.size())));
        ASSERT_TRUE(port.PurgeRxBuffer());
    }
    EXPECT_EQ(instrument.Received(), QByteArray("go\r\n").repeated(std::size(cases)));
    EXPECT_EQ(port.BytesWritten, 4u);
    EXPECT_EQ(QTime(port.SendHour, port.SendMin, port.SendSec, port.SendMSec), port.SendTime.time());
}

TEST_F(CommPortTest, RepliesAreReadWholeUpToTheBufferAndCutAtAZeroByte)
{
    OpenConfigured();
    // Nothing arriving leaves the time text alone but clears the time fields.
    port.RecvHour = port.RecvMin = port.RecvSec = port.RecvMSec = 9;
    QByteArray response("stale");
    QString time = QStringLiteral("untouched");
    EXPECT_EQ(port.ReadCommPort(response, time), 0);
    EXPECT_EQ(std::tuple(response, time, port.RecvHour + port.RecvMin + port.RecvSec + port.RecvMSec),
              std::tuple(QByteArray(), QStringLiteral("untouched"), 0));
    EXPECT_EQ(Exchange("OK>", &time), QByteArray("OK>"));
    EXPECT_EQ(QTime(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec), port.RecvTime.time());
    EXPECT_EQ(time, platform::TimeStampText(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec));
    EXPECT_EQ(Exchange(QByteArray("ab\0cd", 5)), QByteArray("ab"));
    EXPECT_EQ(Exchange("abcdefgh"), QByteArray("abcdefgh"));
    EXPECT_EQ(Exchange("xyz"), QByteArray("xyz"));
    // The buffer is never cleared: the older reply's tail stays behind.
    EXPECT_EQ(QByteArray(port.RxBuffer.data(), 8), QByteArray("xyzdefgh"));
    QByteArray longReply(5000, '\0');
    for (qsizetype i = 0; i < longReply.size(); ++i)
        longReply[i] = static_cast<char>('a' + i % 26);
    instrument.Send(longReply);
    for (const QByteArray& part : {longReply.left(CSerialPort::RxBufferSize), longReply.mid(CSerialPort::RxBufferSize)}) {
        ASSERT_TRUE(instrument.WaitForQueued(1));
        EXPECT_EQ(port.ReadCommPort(response, time), part.size());
        EXPECT_EQ(response, part);
    }
}

TEST_F(CommPortTest, PurgeDropsWhatWaitsAndTheLongWaitReadTakesNoTimeStamp)
{
    OpenConfigured();
    instrument.Send("noise");
    ASSERT_TRUE(instrument.WaitForQueued(5));
    EXPECT_FALSE(port.RxQueueEmpty());
    EXPECT_TRUE(port.PurgeRxBuffer());
    EXPECT_TRUE(port.RxQueueEmpty());
    port.RecvMSec = 12;
    instrument.Send("settings reply");
    ASSERT_TRUE(instrument.WaitForQueued(14));
    QByteArray response;
    EXPECT_EQ(port.ReadCommPortLongWait(response), 14);
    EXPECT_EQ(std::tuple(response, port.RecvMSec, port.RecvTime.isValid()),
              std::tuple(QByteArray("settings reply"), std::uint16_t{0}, false));
}

TEST(CommPortScan, FindsTheLinkedPortsOnly)
{
    TestInstallFolder folder;
    FakeInstrument first{1};
    FakeInstrument fourth{4};
    folder.HideUnlinkedPorts();
    CSerialPort port;
    CommPortFlags flags{};
    flags[0] = flags[2] = 7;  // flags of ports not found are left as they were
    port.ScanCommPorts(flags);
    CommPortFlags expected{};
    expected[0] = expected[2] = 7;
    expected[1] = expected[4] = 1;
    EXPECT_EQ(flags, expected);
    EXPECT_EQ(std::tuple(port.PortName, port.IsCommPortOpen()), std::tuple(QStringLiteral("COM119"), false));
    // Every port found was closed again.
    EXPECT_TRUE(port.OpenCommPort("COM4"));
}
