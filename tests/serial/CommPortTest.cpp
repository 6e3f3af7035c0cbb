#include "serial/CommPort.h"

#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include "support/FakeInstrument.h"
#include "support/RecordedLineCalls.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <functional>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class CommPortTest : public ::testing::Test
{
protected:
    TestInstallFolder folder;
    FakeInstrument instrument{5};
    CSerialPort port;
};

TEST_F(CommPortTest, AFreshObjectIsClosedWithTheDefaultLineAndRefusesEveryOperation)
{
    EXPECT_EQ(std::tuple(port.IsCommPortOpen(), port.PortName, port.BaudRateText, port.BaudRate, port.Parity,
                         port.DataBits, port.StopBits),
              std::tuple(false, QStringLiteral("COMX"), QStringLiteral("9600"), 9600, 0, 8, 0));
    EXPECT_TRUE(std::all_of(port.RxBuffer.begin(), port.RxBuffer.end(), [](char c) { return c == 0; }));
    port.BytesWritten = 5;
    EXPECT_FALSE(port.InitCommPort("9600") || port.InitCommPortShortTimeout("9600") || port.StateOK
                 || port.SetCommPortProperties("9600", "0", "8", "0") || port.PortTimeouts.ReadTotalTimeoutConstant
                 || port.WriteCommPort("x", "\r\n") || port.BytesWritten || !port.RxQueueEmpty()
                 || port.PurgeRxBuffer() || port.CloseCommPort());
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
    const int other = ::open(QFile::encodeName(instrument.SlavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(second.OpenCommPort(instrument.PortName()));
    ::close(other);
    EXPECT_TRUE(second.OpenCommPort(instrument.PortName()));
}

// Every set-up makes the line raw with its own read constant, modem lines and
// flow control off; the data-bits code becomes the number of bits. A state the
// line cannot carry fails the set-up, which closes the port and releases it.
TEST_F(CommPortTest, SetUpAppliesTheLineAndTheReadConstantOrClosesThePort)
{
    struct Case
    {
        const char *Baud, *Parity, *DataBits, *StopBits;
        bool Accepted;
        int Bits = 0, ParityCode = 0, Stop = 0;
        std::uint32_t Constant = 0;
        speed_t Speed = 0;
    };
    const Case cases[] = {
        {"19200", nullptr, "", "", true, 8, 0, 0, 2000, B19200},   // InitCommPort
        {"115200", "short", "", "", true, 8, 0, 0, 10, B115200},   // InitCommPortShortTimeout
        {"9600", "0", "1", "1", true, 5, 0, 1, 10, B9600}, {"1200", "1", "2", "0", true, 6, 1, 0, 10, B1200},
        {"4800", "4", "4", "2", true, 7, 4, 2, 10, B4800},  {"9600", "2", "8", "0", true, 8, 2, 0, 10, B9600},
        {"9600", "0", "1", "2", false},    // 2 stop bits with 5 data bits
        {"9600", "0", "8", "1", false},    // 1.5 stop bits with 8 data bits
        {"14400", "0", "8", "0", false},   // a rate the dialog never offers
        {"9600", "256", "8", "0", false},  // a parity code that must not wrap to None
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Baud << ',' << c.Parity << ',' << c.DataBits << ',' << c.StopBits);
        if (!port.IsCommPortOpen()) {
            ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        }
        const bool accepted = !c.Parity                       ? port.InitCommPort(c.Baud)
                              : QByteArray(c.Parity) == "short" ? port.InitCommPortShortTimeout(c.Baud)
                                                              : port.SetCommPortProperties(c.Baud, c.Parity,
                                                                                           c.DataBits, c.StopBits);
        ASSERT_EQ(accepted, c.Accepted);
        EXPECT_EQ(std::tuple(port.StateOK, port.IsCommPortOpen()), std::tuple(c.Accepted, c.Accepted));
        if (!c.Accepted)
            continue;
        const platform::DeviceControlBlock& dcb = port.PortDCB;
        const platform::CommTimeouts& timeouts = port.PortTimeouts;
        EXPECT_EQ(std::tuple(int(dcb.ByteSize), int(dcb.Parity), int(dcb.StopBits), timeouts.ReadTotalTimeoutConstant,
                             timeouts.ReadIntervalTimeout, int(dcb.fDtrControl), int(dcb.fRtsControl)),
                  std::tuple(c.Bits, c.ParityCode, c.Stop, c.Constant, platform::MaxDword, 0, 0));
        // The pty starts cooked and echoing; what it reads back is what the device got.
        const termios line = instrument.SlaveTermios();
        EXPECT_EQ(std::tuple(cfgetospeed(&line), line.c_lflag & (ICANON | ECHO | ISIG), line.c_oflag & OPOST,
                             line.c_cflag & CRTSCTS, int(dcb.fAbortOnError)),
                  std::tuple(c.Speed, 0u, 0u, 0u, 1));
    }
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    EXPECT_THROW(port.SetCommPortProperties("fast", "0", "8", "0"), EConvertError);
}

// A port keeps what it was told under its name: every later open gives the
// line back before it returns, and the modem lines after it (a speed change
// raises them again), also once the adapter, pulled under an open port whose
// write then closed it, is plugged in again as a new node. A port never told
// a line is made raw at the speed it has. A memory the line refuses fails the
// open once and is forgotten. A port never told a line becomes raw at its
// first write; one only opened and closed, as a scan does, keeps its line.
TEST_F(CommPortTest, AReopenAppliesTheLineThenLowersTheModemLinesBeforeItReturns)
{
    RecordedLineCalls calls;
    const QStringList told{"line 19200,7,2,2", "DTR down", "RTS down"};
    const auto pullWhileOpen = [&] {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
        const platform::SerialHandle pulled = port.PortHandle;
        instrument.Pull();
        EXPECT_FALSE(port.WriteCommPort("x", "\r\n") || port.IsCommPortOpen() || platform::CloseSerialPort(pulled));
        instrument.Plug();
    };
    const auto scanned = [&] {
        ASSERT_TRUE(port.OpenCommPort(instrument.PortName()) && port.CloseCommPort());
        const termios line = instrument.SlaveTermios();
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO), tcflag_t(ICANON | ECHO));
    };
    const struct {
        const char* Name;
        std::function<void()> Before;
        QStringList Calls;
        bool Opens;
        speed_t Speed;
    } rows[] = {
        {"never told", scanned, {"returned", "line 38400,8,0,0", "wrote"}, true, B38400},
        {"reopened", {}, told + QStringList{"returned", "wrote"}, true, B19200},
        {"plugged in again", pullWhileOpen, told + QStringList{"returned", "wrote"}, true, B19200},
        {"refused", [&] { calls.Refused = true; }, {"line 19200,7,2,2", "returned"}, false, 0},
        {"forgotten", [&] { calls.Refused = false; }, {"returned", "line 19200,8,0,2", "wrote"}, true, B19200},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        if (row.Before)
            row.Before();
        calls.Calls.clear();
        const bool opened = port.OpenCommPort(instrument.PortName());
        calls.Calls << "returned";
        if (opened && port.WriteCommPort("x", "\r\n"))
            calls.Calls << "wrote";
        EXPECT_EQ(std::tuple(opened, calls.Calls), std::tuple(row.Opens, row.Calls));
        if (!opened)
            continue;
        const termios line = instrument.SlaveTermios();
        EXPECT_EQ(std::tuple(cfgetospeed(&line), line.c_lflag & (ICANON | ECHO), line.c_oflag & OPOST,
                             line.c_iflag & (ICRNL | IXON)),
                  std::tuple(row.Speed, 0u, 0u, 0u));
        calls.Calls.clear();
        ASSERT_TRUE(port.SetCommPortProperties("19200", "2", "4", "2"));
        EXPECT_EQ(calls.Calls, told);
        ASSERT_TRUE(port.CloseCommPort());
    }
}

// The first byte is awaited for 100 polls of 1 ms (1000 in the settings
// transfer's read) and the read constant; 15 polls of silence end a reply, a
// shorter pause does not. A reply ends at its first zero byte, though its
// count does not, and at the buffer's end; what a read leaves stays queued
// until a purge. The time text is the last chunk's and stays untouched when
// nothing came; the settings transfer's read takes none and zeroes the fields.
TEST_F(CommPortTest, RepliesAreReadUntilSilenceOrTheBufferEnds)
{
    const QByteArray alphabet = QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(200).left(5000);
    const QByteArray full = alphabet.left(CSerialPort::RxBufferSize);
    struct Case { const char* Name; FakeReply Sent; bool LongWait; int Count; QByteArray Text; };
    const Case cases[] = {
        {"nothing", FakeReply(""), false, 0, ""},
        {"one piece", FakeReply("OK>"), false, 3, "OK>"},
        {"pause of 6 ms", FakeReply("AAAABBBB", 0, 4, 6), false, 8, "AAAABBBB"},
        {"pause of 400 ms", FakeReply("AAAABBBB", 0, 4, 400), false, 4, "AAAA"},
        {"first byte after 70 ms", FakeReply("LATE", 70), false, 4, "LATE"},
        {"first byte after 600 ms", FakeReply("LATE", 600), false, 0, ""},
        {"zero byte", FakeReply(QByteArray("ab\0cd", 5)), false, 5, "ab"},
        {"longer than the buffer", FakeReply(alphabet), false, CSerialPort::RxBufferSize, full},
        {"shorter than the last", FakeReply("xyz"), false, 3, "xyz"},
        {"long wait, first byte after 400 ms", FakeReply("LATE", 400), true, 4, "LATE"},
    };
    ASSERT_TRUE(port.OpenCommPort(instrument.PortName()));
    ASSERT_TRUE(port.SetCommPortProperties("9600", "0", "8", "0"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        instrument.SetRule([&c](const QByteArray&) { return c.Sent; });
        ASSERT_TRUE(port.WriteCommPort("go", "\r\n"));
        EXPECT_EQ(port.BytesWritten, 4u);
        port.RecvHour = port.RecvMin = port.RecvSec = port.RecvMSec = 9;
        QByteArray response("stale");
        QString time = QStringLiteral("untouched");
        const int count = c.LongWait ? port.ReadCommPortLongWait(response) : port.ReadCommPort(response, time);
        EXPECT_EQ(std::tuple(count, response), std::tuple(c.Count, c.Text));
        const QTime received(port.RecvHour, port.RecvMin, port.RecvSec, port.RecvMSec);
        const bool stamped = c.Count > 0 && !c.LongWait;
        EXPECT_EQ(std::tuple(time, received),
                  std::tuple(stamped ? platform::TimeStampText(received.hour(), received.minute(), received.second(),
                                                               received.msec())
                                     : "untouched",
                             stamped ? port.RecvTime.time() : QTime(0, 0)));
        ASSERT_TRUE(instrument.WaitForQueued(static_cast<int>(c.Sent.Bytes.size()) - std::max(count, 0)));
        ASSERT_TRUE(port.PurgeRxBuffer());
        EXPECT_TRUE(port.RxQueueEmpty());
    }
    // The buffer is never cleared: an older reply's tail stays behind a shorter one.
    EXPECT_EQ(QByteArray(port.RxBuffer.data(), 6), QByteArray("LATEef"));
    EXPECT_EQ(instrument.Received(), QByteArray("go\r\n").repeated(std::size(cases)));
    EXPECT_EQ(QTime(port.SendHour, port.SendMin, port.SendSec, port.SendMSec), port.SendTime.time());
}

} // namespace
