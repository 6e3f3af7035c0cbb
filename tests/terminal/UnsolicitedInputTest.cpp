#include "TrafficFixture.h"

#include "platform/SerialDevice.h"

#include <QAction>
#include <QRegularExpression>
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
    Type("TYPING");

    SendAndWaitInQueue("ALARM ?E2");
    Tick();

    const QStringList pane = PaneLines();
    ASSERT_EQ(pane.size(), paneBefore.size() + 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\[[0-9:]+\]  ALARM \?E2$)")).match(pane.back()).hasMatch())
        << pane.back().toStdString();
    EXPECT_EQ(Pane()->document()->lastBlock().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_TRUE(LogText().contains(QStringLiteral("]  ALARM ?E2")));

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
    ASSERT_TRUE(QTest::qWaitFor([&] { return Pane()->toPlainText().endsWith(QStringLiteral("]  HELLO")); }));
}

TEST_F(UnsolicitedInput, WithoutTimeStampsTheLineIsBare)
{
    MainEntry("TimeStampDisable1")->trigger();
    SendAndWaitInQueue("BARE");
    Tick();
    EXPECT_EQ(PaneLines(), QStringList{"BARE"});
}

TEST_F(UnsolicitedInput, ALongBurstIsTakenInTwoTicks)
{
    MainEntry("TimeStampDisable1")->trigger();
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst += "0123456789";
    SendAndWaitInQueue(burst);

    Tick();
    ASSERT_EQ(PaneLines().size(), 1);
    const QString first = PaneLines()[0];
    EXPECT_GE(first.size(), 900);
    EXPECT_LE(first.size(), 903);
    EXPECT_EQ(Waiting(), 1000u - static_cast<std::uint32_t>(first.size()));

    Tick();
    ASSERT_EQ(PaneLines().size(), 2);
    EXPECT_EQ((PaneLines()[0] + PaneLines()[1]).toLatin1(), burst);
    EXPECT_EQ(Waiting(), 0u);
}

TEST_F(UnsolicitedInput, ATickWhileTheFlagIsHeldReadsNothingAndKeepsTheHold)
{
    SendAndWaitInQueue("WAITING");
    CommTermForm->PortBusy = true;
    Tick();
    EXPECT_TRUE(CommTermForm->PortBusy) << "the poll released a hold it did not take";
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
    EXPECT_EQ(Waiting(), 7u);

    CommTermForm->PortBusy = false;
    Tick();
    EXPECT_TRUE(Pane()->toPlainText().endsWith(QStringLiteral("]  WAITING")));
}

TEST_F(UnsolicitedInput, ATickWithThePortClosedReadsNothing)
{
    SendAndWaitInQueue("UNREAD");
    CommTermForm->CommPort->CloseCommPort();
    Tick();
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_TRUE(Pane()->toPlainText().isEmpty());
}

TEST_F(UnsolicitedInput, InputEndsAtItsFirstZeroByte)
{
    MainEntry("TimeStampDisable1")->trigger();
    SendAndWaitInQueue(QByteArray("AB\0CD", 5));
    Tick();
    EXPECT_EQ(PaneLines(), QStringList{"AB"});
    EXPECT_EQ(Waiting(), 0u);
}

} // namespace
