#pragma once

#include "TrafficFixture.h"

#include "platform/HandOver.h"
#include "terminal/commcyclethread.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

// The main window with an instrument on COM3 that answers "OK" at once and
// notes when each command arrived, and the cycle worker that the port
// selection started. The cycle controls are driven as a user drives them.
class CycleFixture : public TrafficFixture
{
protected:
    using Clock = std::chrono::steady_clock;

    void SetUp() override
    {
        TrafficFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NE(CycleThread, nullptr);
        Instrument->SetRule([this](const QByteArray&) {
            std::lock_guard lock(ArrivalMutex);
            Arrivals.push_back(Clock::now());
            return FakeReply("OK\r\n");
        });
    }

    // The instrument's thread notes arrivals in this fixture: it ends before
    // the notes go.
    void TearDown() override
    {
        TrafficFixture::TearDown();
        Instrument.reset();
    }

    // Waits, keeping the window thread serving the worker's hand-overs, until
    // the condition holds; false when it still does not after timeoutMs.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents();
            platform::WaitTurn();
        }
        return true;
    }
    bool WaitForCommandCount(int count) const
    {
        return WaitUntil([&] { return Instrument->Commands().size() >= count; });
    }

    void SetBox(const char* name, const QString& text) { MainControl<QLineEdit>(name)->setText(text); }
    QString Box(const char* name) const { return MainControl<QLineEdit>(name)->text(); }
    QString CurrentCycle() const { return Box("leCurrentCycle"); }

    // Common string n (1 to 5) holding the text, ticked for the cycle.
    void TickString(int n, const QString& text)
    {
        SetBox(QStringLiteral("edString%1").arg(n).toLatin1().constData(), text);
        StringBox(n)->setChecked(true);
    }
    QCheckBox* StringBox(int n) const
    {
        return MainControl<QCheckBox>(QStringLiteral("cbCycleString%1").arg(n).toLatin1().constData());
    }

    QPushButton* StartButton() const { return MainControl<QPushButton>("cmdStartCycle"); }
    void PressStart() { StartButton()->click(); }
    void PressStop() { MainControl<QPushButton>("cmdStopCycle")->click(); }

    // The command-file pane shown through the View menu, holding the text.
    QTextEdit* FilePane() const { return MainControl<QTextEdit>("reInputFile"); }
    void ShowCommandFile(const QString& text)
    {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setPlainText(text);
    }

    QList<QByteArray> Commands() const { return Instrument->Commands(); }

    // Waits until the worker has left a cycle run that STOP ended: a
    // command-file run of no passes, started behind it, is taken only after
    // that run is over. Leaves the pane shown and the counters reset.
    bool WaitForStoppedCycleRun()
    {
        ShowCommandFile(QString());
        SetBox("leCycleCount", "-1");
        PressStart();
        return WaitUntil([] { return !CycleThread->RunFile; });
    }

    // The pause between the arrival of command `later` and the one before it.
    Clock::duration GapBefore(int later) const
    {
        std::lock_guard lock(ArrivalMutex);
        return Arrivals.at(static_cast<std::size_t>(later)) - Arrivals.at(static_cast<std::size_t>(later - 1));
    }

private:
    mutable std::mutex ArrivalMutex;
    std::vector<Clock::time_point> Arrivals;
};
