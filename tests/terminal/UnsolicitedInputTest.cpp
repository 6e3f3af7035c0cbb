#include "TrafficFixture.h"

#include <QAction>
#include <QTextBlock>

namespace {

using UnsolicitedInput = TrafficFixture;

TEST_F(UnsolicitedInput, TextBetweenCommandsIsShownLoggedAndCountedButNotKept)
{
    MainEntry("EnableLog1")->trigger();
    Send("Q1");
    const QStringList paneBefore = PaneLines();
    const QString statusBefore = StatusPanel(0);
    CommandBox()->setText(QStringLiteral("TYPING"));
    PollWhenQueued("ALARM ?E2");
    EXPECT_EQ(std::tuple(PaneLines(), LogLines().constLast()), std::tuple(paneBefore + QStringList{"[t]  ALARM ?E2"}, QString("[t]  ALARM ?E2")));
    EXPECT_EQ(Pane()->document()->lastBlock().charFormat().foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(std::tuple(CommLogForm->CommErrorCount[2], CommLogForm->CommErrorCommand[2]), std::tuple(1, QString("TYPING")));
    EXPECT_EQ(std::tuple(CommTermForm->LastResponse, CommTermForm->LastCommand, CommTermForm->CommandsSent, StatusPanel(0), StatusPanel(1),
                         CommTermForm->PortBusy.load()),
              std::tuple(QString(), QString("Q1"), 1, statusBefore, QString("Commands Sent: 1"), false));
}

// A tick reads nothing while a send holds the port or the port is closed.
// Otherwise it takes at most 900 bytes and leaves the rest for the next;
// input ends at its first zero byte, and the rest of it is taken and dropped.
TEST_F(UnsolicitedInput, ATickReadsAFreeOpenPortUpToTheBound)
{
    MainEntry("TimeStampDisable1")->trigger();
    QByteArray burst;
    for (int i = 0; i < 100; ++i)
        burst += QByteArray::number(1000000000 + i);
    CommTermForm->PortBusy = true;
    PollWhenQueued(burst);
    EXPECT_TRUE(CommTermForm->PortBusy) << "the poll released a hold it did not take";
    EXPECT_EQ(std::tuple(Pane()->toPlainText(), Instrument->Queued()), std::tuple(QString(), 1000));
    CommTermForm->PortBusy = false;
    CommTermForm->DelayTimerTimer();
    EXPECT_EQ(std::tuple(PaneLines(), Instrument->Queued()), std::tuple(QStringList{burst.left(900)}, 100));
    PollWhenQueued(QByteArray("AB\0CD", 5));
    EXPECT_EQ(std::tuple(PaneLines(), Instrument->Queued()), std::tuple(QStringList{burst.left(900), burst.mid(900) + "AB"}, 0));
    CommTermForm->CommPort->CloseCommPort();
    PollWhenQueued("UNREAD");
    EXPECT_EQ(std::tuple(PaneLines().size(), CommTermForm->PortBusy.load()), std::tuple(2, false));
}

// An instrument that streams at 9600 baud (48 bytes every 50 ms) into a
// driver buffer of 1 KB, for several ticks of the timer the port selection
// started: every byte reaches the pane, in order.
TEST_F(UnsolicitedInput, AStreamAt9600BaudLosesNothing)
{
    QByteArray stream;
    for (int i = 0; stream.size() < 4800; ++i)
        stream += QByteArray::number(100000 + i) + ' ';
    Instrument->SetRule([stream](const QByteArray&) { return FakeReply(stream, 0, 48, 50); });
    Instrument->SetQueueLimit(1024);
    MainEntry("TimeStampDisable1")->trigger();
    MainEntry("OmitCommandSent1")->trigger();
    ASSERT_TRUE(CommTermForm->DelayTimer->isActive());
    Send("STREAM");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Instrument->DroppedBytes() > 0 || PaneLines().join("").size() >= stream.size(); },
                                30000));
    EXPECT_EQ(Instrument->DroppedBytes(), 0);
    EXPECT_EQ(PaneLines().join("").toLatin1(), stream);
}

} // namespace
