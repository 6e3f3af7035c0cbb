#include "serial/CommPort.h"

#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include "support/FakeInstrument.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Bytes the instrument sent are in the port's queue once the kernel has moved
// them across the pty; reads are only deterministic after that.
bool WaitForQueued(const CSerialPort& port, std::uint32_t count)
{
    std::uint32_t waiting = 0;
    return QTest::qWaitFor(
        [&] { return platform::InputQueueCount(port.PortHandle, waiting) && waiting >= count; }, 5000);
}

class CommPortTest : public ::testing::Test
{
protected:
    void OpenConfigured()
    {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        ASSERT_TRUE(SetLine("9600", "0", "8", "0"));
    }

    bool SetLine(const char* baud, const char* parity, const char* dataBits, const char* stopBits)
    {
        return port.SetCommPortProperties(QString::fromLatin1(baud), QString::fromLatin1(parity),
                                          QString::fromLatin1(dataBits), QString::fromLatin1(stopBits));
    }

    // What the terminal's read gives once count bytes wait; the read must take them all.
    QByteArray ReadWhenQueued(int count, QString* timeText = nullptr)
    {
        EXPECT_TRUE(WaitForQueued(port, static_cast<std::uint32_t>(count)));
        QByteArray response;
        QString time;
        EXPECT_EQ(port.ReadCommPort(response, time), count);
        if (timeText != nullptr)
            *timeText = time;
        return response;
    }

    QByteArray Exchange(const QByteArray& reply, QString* timeText = nullptr)
    {
        instrument.Send(reply);
        return ReadWhenQueued(static_cast<int>(reply.size()), timeText);
    }

    TestInstallFolder folder;
    FakeInstrument instrument{5};
    CSerialPort port;
};

} // namespace

TEST_F(CommPortTest, AFreshObjectIsClosedWithTheDefaultLineAndRefusesEveryOperation)
{
    EXPECT_FALSE(port.IsCommPortOpen());
    EXPECT_EQ(std::tuple(port.PortName, port.BaudRateText, port.BaudRate, port.Parity, port.DataBits, port.StopBits),
              std::tuple(QStringLiteral("COMX"), QStringLiteral("9600"), 9600, 0, 8, 0));
    EXPECT_TRUE(std::all_of(port.RxBuffer.begin(), port.RxBuffer.end(), [](char c) { return c == 0; }));

    EXPECT_FALSE(port.InitCommPort(QStringLiteral("9600")));
    EXPECT_FALSE(port.InitCommPortShortTimeout(QStringLiteral("9600")));
    EXPECT_FALSE(SetLine("9600", "0", "8", "0"));
    EXPECT_FALSE(port.StateOK);
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 0u);

    port.BytesWritten = 5;
    EXPECT_FALSE(port.WriteCommPort(QByteArray("x"), QByteArray("\r\n")));
    EXPECT_EQ(port.BytesWritten, 0u);
    EXPECT_TRUE(port.RxQueueEmpty());
    EXPECT_FALSE(port.PurgeRxBuffer());
    EXPECT_FALSE(port.CloseCommPort());
}

TEST_F(CommPortTest, OpeningAMissingPortKeepsTheNameAndTheOpenFlag)
{
    EXPECT_FALSE(port.OpenCommPort(QStringLiteral("COM100")));
    EXPECT_EQ(port.PortName, QStringLiteral("COM100"));
    EXPECT_EQ(port.PortHandle, platform::InvalidHandle);
    EXPECT_FALSE(port.IsCommPortOpen());

    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    const platform::SerialHandle held = port.PortHandle;
    EXPECT_FALSE(port.OpenCommPort(QStringLiteral("COM100")));
    EXPECT_TRUE(port.IsCommPortOpen());

    // The close purge now fails on the invalid handle: the port counts as
    // closed, but nothing is closed.
    EXPECT_FALSE(port.CloseCommPort());
    EXPECT_FALSE(port.IsCommPortOpen());
    EXPECT_TRUE(platform::CloseSerialPort(held));
}

TEST_F(CommPortTest, APortHeldElsewhereDoesNotOpenUntilReleased)
{
    const int other = ::open(instrument.SlavePath().toLocal8Bit().constData(),
                             O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(port.OpenCommPort(instrument.PortName()));
    ::close(other);

    CSerialPort second;
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_FALSE(second.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(port.CloseCommPort());
    EXPECT_FALSE(port.IsCommPortOpen());
    EXPECT_TRUE(second.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(second.CloseCommPort());
}

TEST_F(CommPortTest, LineCodesBecomeTheDeviceState)
{
    struct Case { const char *Baud, *Parity, *DataBits, *StopBits; std::uint8_t Bits; tcflag_t Size; std::uint8_t Stop; };
    const Case cases[] = {
        {"9600", "0", "1", "1", 5, CS5, platform::StopBitsOneAndHalf},
        {"9600", "1", "2", "0", 6, CS6, platform::StopBitsOne},
        {"4800", "4", "4", "2", 7, CS7, platform::StopBitsTwo},
        {"9600", "2", "8", "0", 8, CS8, platform::StopBitsOne},
    };
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.DataBits);
        ASSERT_TRUE(SetLine(c.Baud, c.Parity, c.DataBits, c.StopBits));
        EXPECT_EQ(port.PortDCB.ByteSize, c.Bits);
        EXPECT_EQ(port.PortDCB.Parity, QString::fromLatin1(c.Parity).toInt());
        EXPECT_EQ(port.PortDCB.StopBits, c.Stop);
        // A pty always reads back 8 bits, so the line is checked as the layer builds it.
        termios line = instrument.SlaveTermios();
        ASSERT_TRUE(platform::TermiosFromDcb(port.PortDCB, line));
        EXPECT_EQ(line.c_cflag & CSIZE, c.Size);
    }
}

TEST_F(CommPortTest, SetUpMakesTheLineRawWithTheOperationsReadTimeout)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    ASSERT_TRUE(port.InitCommPort(QStringLiteral("19200")));
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 2000u);
    EXPECT_EQ(port.PortTimeouts.ReadIntervalTimeout, platform::MaxDword);
    EXPECT_EQ(port.PortDCB.fDtrControl, platform::DtrControlDisable);
    EXPECT_EQ(port.PortDCB.fRtsControl, platform::RtsControlDisable);
    EXPECT_EQ(port.PortDCB.fAbortOnError, 1);

    // The pty starts cooked and echoing; what it reads back is what the device got.
    const termios line = instrument.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&line), speed_t(B19200));
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);

    ASSERT_TRUE(port.InitCommPortShortTimeout(QStringLiteral("115200")));
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 10u);
    const termios faster = instrument.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&faster), speed_t(B115200));
}

TEST_F(CommPortTest, ALineStateTheDeviceRejectsClosesThePortAndReleasesIt)
{
    const std::array<std::array<const char*, 4>, 4> rejected = {{
        {"9600", "0", "1", "2"},    // 2 stop bits with 5 data bits
        {"9600", "0", "8", "1"},    // 1.5 stop bits with 8 data bits
        {"14400", "0", "8", "0"},   // a rate the dialog never offers
        {"9600", "256", "8", "0"},  // a parity code that must not wrap to None
    }};
    for (const auto& s : rejected) {
        SCOPED_TRACE(std::string(s[0]) + "," + s[1] + "," + s[2] + "," + s[3]);
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        EXPECT_FALSE(SetLine(s[0], s[1], s[2], s[3]));
        EXPECT_FALSE(port.StateOK);
        EXPECT_FALSE(port.IsCommPortOpen());
    }
    // Each failed set-up released its handle, or this open would find the port held.
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_THROW(SetLine("fast", "0", "8", "0"), EConvertError);
    EXPECT_TRUE(port.CloseCommPort());
}

TEST_F(CommPortTest, WritePutsCommandAndTerminatorOnTheWire)
{
    OpenConfigured();
    ASSERT_TRUE(port.WriteCommPort(QByteArray(";LC:FL 1"), QByteArray("\r\n")));
    EXPECT_EQ(port.BytesWritten, 10u);
    EXPECT_EQ(QTime(port.SendHour, port.SendMin, port.SendSec, port.SendMSec), port.SendTime.time());

    ASSERT_TRUE(port.WriteCommPort(QByteArray("?"), QByteArray("\r")));
    ASSERT_TRUE(instrument.WaitForBytes(12));
    EXPECT_EQ(instrument.Received(), QByteArray(";LC:FL 1\r\n?\r"));
}

TEST_F(CommPortTest, APauseInTheInputEndsTheRead)
{
    OpenConfigured();
    FakeReply reply("AAAABBBB");
    reply.PieceSize = 4;
    reply.PauseMs = 400;
    instrument.SetRule([reply](const QByteArray&) { return reply; });
    ASSERT_TRUE(port.WriteCommPort(QByteArray("go"), QByteArray("\r\n")));
    EXPECT_EQ(ReadWhenQueued(4), QByteArray("AAAA"));
    EXPECT_EQ(ReadWhenQueued(4), QByteArray("BBBB"));
}

TEST_F(CommPortTest, RepliesOfEveryLengthAreReadWhole)
{
    OpenConfigured();
    // Nothing arriving leaves the time text alone but clears the time fields.
    port.RecvHour = port.RecvMin = port.RecvSec = port.RecvMSec = 9;
    QByteArray response("stale");
    QString time = QStringLiteral("untouched");
    EXPECT_EQ(port.ReadCommPort(response, time), 0);
    EXPECT_TRUE(response.isEmpty());
    EXPECT_EQ(time, QStringLiteral("untouched"));
    EXPECT_EQ(port.RecvHour + port.RecvMin + port.RecvSec + port.RecvMSec, 0);

    EXPECT_EQ(Exchange("OK>", &time), QByteArray("OK>"));
    EXPECT_EQ(QTime(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec), port.RecvTime.time());
    EXPECT_EQ(time, platform::TimeStampText(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec));
    // A zero byte cuts the text but not the count.
    EXPECT_EQ(Exchange(QByteArray("ab\0cd", 5)), QByteArray("ab"));
    EXPECT_EQ(Exchange("abcdefgh"), QByteArray("abcdefgh"));
    EXPECT_EQ(Exchange("xyz"), QByteArray("xyz"));
    // The buffer is never cleared: the older reply's tail stays behind.
    EXPECT_EQ(QByteArray(port.RxBuffer.data(), 8), QByteArray("xyzdefgh"));
}

TEST_F(CommPortTest, AReplyBeyondTheBufferLeavesTheRestQueued)
{
    OpenConfigured();
    QByteArray reply(5000, '\0');
    for (qsizetype i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<char>('a' + i % 26);
    instrument.Send(reply);
    ASSERT_TRUE(WaitForQueued(port, 1));
    QByteArray response;
    QString time;
    EXPECT_EQ(port.ReadCommPort(response, time), CSerialPort::RxBufferSize);
    EXPECT_EQ(response, reply.left(CSerialPort::RxBufferSize));

    ASSERT_TRUE(WaitForQueued(port, 1));
    EXPECT_FALSE(port.RxQueueEmpty());
    EXPECT_EQ(port.ReadCommPort(response, time), 5000 - CSerialPort::RxBufferSize);
    EXPECT_EQ(response, reply.mid(CSerialPort::RxBufferSize));
}

TEST_F(CommPortTest, PurgeDropsWhatWaitsAndTheLongWaitReadTakesNoTimeStamp)
{
    OpenConfigured();
    EXPECT_TRUE(port.RxQueueEmpty());
    instrument.Send("noise");
    ASSERT_TRUE(WaitForQueued(port, 5));
    EXPECT_FALSE(port.RxQueueEmpty());
    EXPECT_TRUE(port.PurgeRxBuffer());
    EXPECT_TRUE(port.RxQueueEmpty());

    port.RecvMSec = 12;
    instrument.Send("settings reply");
    ASSERT_TRUE(WaitForQueued(port, 14));
    QByteArray response;
    EXPECT_EQ(port.ReadCommPortLongWait(response), 14);
    EXPECT_EQ(response, QByteArray("settings reply"));
    EXPECT_EQ(port.RecvMSec, 0);
    EXPECT_FALSE(port.RecvTime.isValid());
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
    EXPECT_EQ(port.PortName, QStringLiteral("COM119"));
    EXPECT_FALSE(port.IsCommPortOpen());
    // Every port found was closed again.
    EXPECT_TRUE(port.OpenCommPort(QStringLiteral("COM4")));
    EXPECT_TRUE(port.CloseCommPort());
}
