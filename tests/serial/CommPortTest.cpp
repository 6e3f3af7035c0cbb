#include "serial/CommPort.h"

#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include "support/FakeInstrument.h"

#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int InstrumentPort = 5;

// Bytes the instrument sent are in the port's queue once the kernel has moved
// them across the pty; reads are only deterministic after that.
bool WaitForQueued(const CSerialPort& port, std::uint32_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::uint32_t waiting = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::InputQueueCount(port.PortHandle, waiting) && waiting >= count)
            return true;
        QThread::msleep(1);
    }
    return false;
}

QByteArray Pattern(int length)
{
    QByteArray bytes(length, '\0');
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

class CommPortTest : public ::testing::Test
{
protected:
    void OpenConfigured()
    {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        ASSERT_TRUE(port.SetCommPortProperties(QStringLiteral("9600"), QStringLiteral("0"),
                                               QStringLiteral("8"), QStringLiteral("0")));
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
    FakeInstrument instrument{InstrumentPort};
    CSerialPort port;
};

} // namespace

TEST_F(CommPortTest, AFreshObjectIsClosedWithTheDefaultLine)
{
    EXPECT_FALSE(port.IsCommPortOpen());
    EXPECT_EQ(port.PortName, QStringLiteral("COMX"));
    EXPECT_EQ(port.BaudRateText, QStringLiteral("9600"));
    EXPECT_EQ(port.BaudRate, 9600);
    EXPECT_EQ(port.Parity, 0);
    EXPECT_EQ(port.DataBits, 8);
    EXPECT_EQ(port.StopBits, 0);
    EXPECT_TRUE(std::all_of(port.RxBuffer.begin(), port.RxBuffer.end(), [](char c) { return c == 0; }));
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

TEST_F(CommPortTest, ClosingReleasesThePortForTheNextOpen)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(port.CloseCommPort());
    EXPECT_FALSE(port.IsCommPortOpen());
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(port.CloseCommPort());
}

TEST_F(CommPortTest, ClosingAPortNeverOpenedFails)
{
    EXPECT_FALSE(port.CloseCommPort());
    EXPECT_FALSE(port.IsCommPortOpen());
}

TEST_F(CommPortTest, APortHeldElsewhereDoesNotOpen)
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
    EXPECT_TRUE(second.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(second.CloseCommPort());
}

TEST_F(CommPortTest, SetUpOnAClosedPortDoesNothing)
{
    EXPECT_FALSE(port.InitCommPort(QStringLiteral("9600")));
    EXPECT_FALSE(port.InitCommPortShortTimeout(QStringLiteral("9600")));
    EXPECT_FALSE(port.SetCommPortProperties(QStringLiteral("9600"), QStringLiteral("0"),
                                            QStringLiteral("8"), QStringLiteral("0")));
    EXPECT_FALSE(port.StateOK);
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 0u);
}

TEST_F(CommPortTest, DataBitsCodesBecomeBitCounts)
{
    struct Case
    {
        const char* Code;
        std::uint8_t Bits;
        tcflag_t Size;
    };
    const Case cases[] = {{"1", 5, CS5}, {"2", 6, CS6}, {"4", 7, CS7}, {"8", 8, CS8}};
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    for (const Case& c : cases) {
        ASSERT_TRUE(port.SetCommPortProperties(QStringLiteral("9600"), QStringLiteral("0"),
                                               QString::fromLatin1(c.Code), QStringLiteral("0")))
            << c.Code;
        EXPECT_TRUE(port.StateOK);
        EXPECT_EQ(port.PortDCB.ByteSize, c.Bits) << c.Code;
        EXPECT_EQ(port.PortDCB.Parity, platform::ParityNone);
        EXPECT_EQ(port.PortDCB.StopBits, platform::StopBitsOne);
        // A pty always reads back 8 bits, so the line is checked as the layer builds it.
        termios line = instrument.SlaveTermios();
        ASSERT_TRUE(platform::TermiosFromDcb(port.PortDCB, line));
        EXPECT_EQ(line.c_cflag & CSIZE, c.Size) << c.Code;
    }
}

TEST_F(CommPortTest, AnyParityIsAcceptedByAPseudoTerminal)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    for (const char* parity : {"1", "2", "3", "4", "0"}) {
        EXPECT_TRUE(port.SetCommPortProperties(QStringLiteral("4800"), QString::fromLatin1(parity),
                                               QStringLiteral("4"), QStringLiteral("2")))
            << parity;
        EXPECT_TRUE(port.IsCommPortOpen());
    }
    EXPECT_EQ(port.PortDCB.StopBits, platform::StopBitsTwo);
}

TEST_F(CommPortTest, SetUpMakesTheLineRawWithTheOperationsReadTimeout)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    ASSERT_TRUE(port.InitCommPort(QStringLiteral("19200")));
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 2000u);
    EXPECT_EQ(port.PortTimeouts.ReadIntervalTimeout, platform::MaxDword);
    EXPECT_EQ(port.PortDCB.BaudRate, 19200u);
    EXPECT_EQ(port.PortDCB.fDtrControl, platform::DtrControlDisable);
    EXPECT_EQ(port.PortDCB.fRtsControl, platform::RtsControlDisable);
    EXPECT_EQ(port.PortDCB.fAbortOnError, 1);

    const termios line = instrument.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&line), speed_t(B19200));
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(line.c_cflag & (HUPCL | CRTSCTS), 0u);
    EXPECT_NE(line.c_cflag & CLOCAL, 0u);

    ASSERT_TRUE(port.InitCommPortShortTimeout(QStringLiteral("115200")));
    EXPECT_EQ(port.PortTimeouts.ReadTotalTimeoutConstant, 10u);
    EXPECT_EQ(port.PortDCB.BaudRate, 115200u);
    const termios faster = instrument.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&faster), speed_t(B115200));
}

TEST_F(CommPortTest, ALineStateTheDeviceRejectsClosesThePort)
{
    const std::array<std::array<const char*, 4>, 3> rejected = {{
        {"9600", "0", "1", "2"},   // 2 stop bits with 5 data bits
        {"9600", "0", "8", "1"},   // 1.5 stop bits with 8 data bits
        {"14400", "0", "8", "0"},  // a rate the dialog never offers
    }};
    for (const auto& settings : rejected) {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        EXPECT_FALSE(port.SetCommPortProperties(QString::fromLatin1(settings[0]),
                                                QString::fromLatin1(settings[1]),
                                                QString::fromLatin1(settings[2]),
                                                QString::fromLatin1(settings[3])));
        EXPECT_FALSE(port.StateOK);
        EXPECT_FALSE(port.IsCommPortOpen());
    }
    // Each failed set-up released its handle, or this open would find the port held.
    CSerialPort other;
    EXPECT_TRUE(other.OpenCommPort(instrument.PortName()));
    EXPECT_TRUE(other.CloseCommPort());
}

TEST_F(CommPortTest, AParityCodeTooLargeForTheLineIsRejectedNotWrapped)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_FALSE(port.SetCommPortProperties(QStringLiteral("9600"), QStringLiteral("256"),
                                            QStringLiteral("8"), QStringLiteral("0")));
    EXPECT_FALSE(port.IsCommPortOpen());
}

TEST_F(CommPortTest, ANonNumericSettingIsAConversionError)
{
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_THROW(port.SetCommPortProperties(QStringLiteral("fast"), QStringLiteral("0"),
                                            QStringLiteral("8"), QStringLiteral("0")),
                 EConvertError);
    EXPECT_TRUE(port.CloseCommPort());
}

TEST_F(CommPortTest, WritePutsCommandAndTerminatorOnTheWire)
{
    OpenConfigured();
    ASSERT_TRUE(port.WriteCommPort(QByteArray(";LC:FL 1"), QByteArray("\r\n")));
    EXPECT_EQ(port.BytesWritten, 10u);
    ASSERT_TRUE(instrument.WaitForCommands(1));
    EXPECT_EQ(instrument.Received(), QByteArray(";LC:FL 1\r\n"));
    EXPECT_EQ(port.SendHour, port.SendTime.time().hour());
    EXPECT_EQ(port.SendMin, port.SendTime.time().minute());
    EXPECT_EQ(port.SendSec, port.SendTime.time().second());
    EXPECT_EQ(port.SendMSec, port.SendTime.time().msec());

    ASSERT_TRUE(port.WriteCommPort(QByteArray("?"), QByteArray("\r")));
    ASSERT_TRUE(instrument.WaitForBytes(12));
    EXPECT_EQ(instrument.Received(), QByteArray(";LC:FL 1\r\n?\r"));
}

TEST_F(CommPortTest, WritingToAClosedPortFails)
{
    port.BytesWritten = 5;
    EXPECT_FALSE(port.WriteCommPort(QByteArray("x"), QByteArray("\r\n")));
    EXPECT_EQ(port.BytesWritten, 0u);
}

TEST_F(CommPortTest, AThreeByteReplyComesWithItsArrivalTime)
{
    OpenConfigured();
    QString time;
    EXPECT_EQ(Exchange("OK>", &time), QByteArray("OK>"));
    EXPECT_EQ(port.RecvHour, port.RecvTime.time().hour());
    EXPECT_EQ(port.RecvMSec, port.RecvTime.time().msec());
    EXPECT_EQ(time, platform::TimeStampText(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec));
}

TEST_F(CommPortTest, AReplyAnsweringACommandIsRead)
{
    OpenConfigured();
    instrument.SetRule([](const QByteArray& command) {
        return command == "*IDN?" ? FakeReply("LASER 1.0\r\n") : FakeReply();
    });
    ASSERT_TRUE(port.WriteCommPort(QByteArray("*IDN?"), QByteArray("\r\n")));
    EXPECT_EQ(ReadWhenQueued(11), QByteArray("LASER 1.0\r\n"));
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

TEST_F(CommPortTest, NothingArrivingLeavesTheTimeTextAlone)
{
    OpenConfigured();
    port.RecvHour = port.RecvMin = port.RecvSec = port.RecvMSec = 9;
    QByteArray response("stale");
    QString time = QStringLiteral("untouched");
    EXPECT_EQ(port.ReadCommPort(response, time), 0);
    EXPECT_TRUE(response.isEmpty());
    EXPECT_EQ(time, QStringLiteral("untouched"));
    EXPECT_EQ(port.RecvHour + port.RecvMin + port.RecvSec + port.RecvMSec, 0);
    EXPECT_EQ(port.BytesRead, 0u);
}

TEST_F(CommPortTest, AZeroByteCutsTheTextButNotTheCount)
{
    OpenConfigured();
    EXPECT_EQ(Exchange(QByteArray("ab\0cd", 5)), QByteArray("ab"));
}

TEST_F(CommPortTest, AShorterReplyIsReturnedAtItsOwnLength)
{
    OpenConfigured();
    EXPECT_EQ(Exchange("abcdefgh"), QByteArray("abcdefgh"));
    EXPECT_EQ(Exchange("xyz"), QByteArray("xyz"));
    // The buffer is never cleared: the older reply's tail stays behind.
    EXPECT_EQ(QByteArray(port.RxBuffer.data(), 8), QByteArray("xyzdefgh"));
    EXPECT_EQ(Exchange("0123456789AB"), QByteArray("0123456789AB"));
}

TEST_F(CommPortTest, AReplyBeyondTheBufferLeavesTheRestQueued)
{
    OpenConfigured();
    const QByteArray reply = Pattern(5000);
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

TEST_F(CommPortTest, TheLongWaitReadTakesNoTimeStamp)
{
    OpenConfigured();
    port.RecvMSec = 12;
    instrument.Send("settings reply");
    ASSERT_TRUE(WaitForQueued(port, 14));
    QByteArray response;
    EXPECT_EQ(port.ReadCommPortLongWait(response), 14);
    EXPECT_EQ(response, QByteArray("settings reply"));
    EXPECT_EQ(port.RecvMSec, 0);
    EXPECT_FALSE(port.RecvTime.isValid());
}

TEST_F(CommPortTest, PurgeDiscardsWhatWaits)
{
    OpenConfigured();
    EXPECT_TRUE(port.RxQueueEmpty());
    instrument.Send("noise");
    ASSERT_TRUE(WaitForQueued(port, 5));
    EXPECT_FALSE(port.RxQueueEmpty());
    EXPECT_TRUE(port.PurgeRxBuffer());
    EXPECT_TRUE(port.RxQueueEmpty());
}

TEST_F(CommPortTest, AQueueThatCannotBeAskedCountsAsEmpty)
{
    EXPECT_TRUE(port.RxQueueEmpty());
    EXPECT_FALSE(port.PurgeRxBuffer());
}

TEST(CommPortScan, FindsTheLinkedPortsOnly)
{
    TestInstallFolder folder;
    FakeInstrument first{1};
    FakeInstrument fourth{4};
    folder.HideUnlinkedPorts();

    CSerialPort port;
    CommPortFlags flags{};
    flags[0] = 7;
    flags[2] = 7;
    port.ScanCommPorts(flags);

    for (std::size_t n = 0; n < flags.size(); ++n) {
        const std::uint8_t expected = n == 1 || n == 4 ? 1 : (n == 0 || n == 2 ? 7 : 0);
        EXPECT_EQ(flags[n], expected) << n;
    }
    EXPECT_EQ(port.PortName, QStringLiteral("COM119"));
    EXPECT_EQ(port.PortHandle, platform::InvalidHandle);
    EXPECT_FALSE(port.IsCommPortOpen());
    // Every port found was closed again.
    EXPECT_TRUE(port.OpenCommPort(QStringLiteral("COM4")));
    EXPECT_TRUE(port.CloseCommPort());
}
