#include "CycleFixture.h"

#include <QByteArray>

#include <atomic>
#include <thread>

namespace {

using namespace std::chrono_literals;

using WorkerSoak = CycleFixture;

// Every send costs the reply's silence polls and the echo pause, so the
// ordinary suite soaks a few hundred sends; the ThreadSanitizer run asks for
// 2000 through COMMTERM_SOAK_SENDS.
int SoakSends()
{
    bool given = false;
    const int sends = qEnvironmentVariableIntValue("COMMTERM_SOAK_SENDS", &given);
    return given && sends >= 5 ? sends - sends % 5 : 250;
}

// The instrument talks on its own all through the run, so the poll for
// unsolicited input and the worker's sends keep meeting at the port-busy flag.
// It pauses longer than a reply's silence, or no reply would ever end short
// of the receive buffer's size.
class Chatter
{
public:
    explicit Chatter(FakeInstrument& instrument)
        : Thread([this, &instrument] {
              while (!Done) {
                  instrument.Send("STATUS 1\r\n");
                  std::this_thread::sleep_for(40ms);
              }
          })
    {
    }
    ~Chatter()
    {
        Done = true;
        Thread.join();
    }

private:
    std::atomic<bool> Done = false;
    std::thread Thread;
};

TEST_F(WorkerSoak, ACycleRunKeepsOrderWhileUnsolicitedInputArrives)
{
    const int sends = SoakSends();
    const QByteArray strings[] = {"S1", "S2", "S3", "S4", "S5"};
    for (int n = 1; n <= 5; ++n)
        TickString(n, QString::fromLatin1(strings[n - 1]));
    SetBox("leCycleCount", QString::number(sends / 5));
    SetBox("leCommandDelay", "0");
    SetBox("leCycleDelay", "0");
    {
        Chatter chatter(*Instrument);
        PressStart();
        ASSERT_TRUE(WaitUntil([] { return !CycleThread->RunCycle; }, 600000));
    }

    const QList<QByteArray> sent = Commands();
    ASSERT_EQ(sent.size(), sends);
    for (int i = 0; i < sends; ++i)
        ASSERT_EQ(sent[i], strings[i % 5]) << i;
    EXPECT_EQ(CurrentCycle(), QString::number(sends / 5));
    EXPECT_EQ(StatusPanel(1), QStringLiteral("Commands Sent: %1").arg(sends));
    EXPECT_FALSE(CommTermForm->PortBusy);
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_TRUE(CommTermForm->close());
    EXPECT_EQ(CycleThread, nullptr);
}

} // namespace
