#include "TrafficFixture.h"

#include "platform/SerialDevice.h"

#include <QAction>
#include <QTextBlock>
#include <QTimer>

namespace {

// The poll's own ticks are stopped so that each test decides when one comes.
class UnsolicitedInput : public TrafficFixture
{
protected:
    void SetUp() override
    {
        TrafficFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(CommTermForm->DelayTimer->isActive());
        CommTermForm->DelayTimer->stop();
    }

    std::uint32_t Waiting() const
    {
        std::uint32_t count = 0;
        platform::InputQueueCount(CommTermForm->CommPort->PortHandle, count);
        return count;
    }

    // The instrument's bytes have reached the port's input queue.
    void SendAndWaitInQueue(const QByteArray& bytes)
    {
        const std::uint32_t before = Waiting();
        Instrument->Send(bytes);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Waiting() >= before + bytes.size(); }));
    }

    void Tick() { CommTermForm->DelayTimerTimer(); }
};

TEST_F(UnsolicitedInput, TextBetweenCommandsIsShownLoggedAndCountedButNotKept)
{
    MainEntry("EnableLog1")->trigger();
    AnswerEveryCommand("R1\r\n");
    Send("Q1");
    const QStringList paneBefore = PaneLines();
    const QString statusBefore = StatusPanel(0);
    CommandBox()->setText(QStringLiteral("TYPING"));

    SendAndWaitInQueue("ALARM ?E2");
    Tick();

    EXPECT_EQ(PaneLines(), paneBefore + QStringList{"[t]  ALARM ?E2"});
    EXPECT_EQ(Pane()->document()->lastBlock().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(LogLines().constLast(), "[t]  ALARM ?E2");

    EXPECT_EQ(CommLogForm->CommErrorCount[2], 1);
    EXPECT_EQ(CommLogForm->CommErrorCommand[2], "TYPING");
    EXPECT_EQ(CommTermForm->LastResponse, "R1");
    EXPECT_EQ(CommTermForm->LastCommand, "Q1");
    EXPECT_EQ(CommTermForm->CommandsSent, 1);
    EXPECT_EQ(StatusPanel(0), statusBefore);
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    EXPECT_FALSE(CommTermForm->PortBusy);
}

TEST_F(UnsolicitedInput, TheTimerPicksUpInputOnItsOwn)
{
    CommTermForm->DelayTimer->start();
    Instrument->Send("HELLO");
    ASSERT_TRUE(QTest::qWaitFor([&] { return PaneLines() == QStringList{"[t]  HELLO"}; }));
}

TEST_F(UnsolicitedInput, ALongBurstIsTakenInTwoTicksAndInputEndsAtAZeroByte)
{
    MainEntry("TimeStampDisable1")->trigger();
    const QByteArray burst = QByteArray("0123456789").repeated(100);
    SendAndWaitInQueue(burst);

    Tick();
    ASSERT_EQ(PaneLines().size(), 1);
    const qsizetype first = PaneLines()[0].size();
    EXPECT_GE(first, 900);
    EXPECT_LE(first, 903);
    EXPECT_EQ(Waiting(), 1000u - static_cast<std::uint32_t>(first));

    Tick();
    ASSERT_EQ(PaneLines().size(), 2);
    EXPECT_EQ((PaneLines()[0] + PaneLines()[1]).toLatin1(), burst);
    EXPECT_EQ(Waiting(), 0u);

    // Input ends at its first zero byte; the rest is taken and dropped.
    SendAndWaitInQueue(QByteArray("AB\0CD", 5));
    Tick();
    EXPECT_EQ(PaneLines().constLast(), "AB");
    EXPECT_EQ(Waiting(), 0u);
}

TEST_F(UnsolicitedInput, ATickReadsNothingWhileTheFlagIsHeldOrThePortIsClosed)
{
    SendAndWaitInQueue("WAITING");
    CommTermForm->PortBusy = true;
    Tick();
    EXPECT_TRUE(CommTermForm->PortBusy) << "the poll released a hold it did not take";
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    EXPECT_EQ(Waiting(), 7u);

    CommTermForm->PortBusy = false;
    Tick();
    EXPECT_EQ(PaneLines(), QStringList{"[t]  WAITING"});

    SendAndWaitInQueue("UNREAD");
    CommTermForm->CommPort->CloseCommPort();
    Tick();
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_EQ(PaneLines(), QStringList{"[t]  WAITING"});
}

} // namespace
