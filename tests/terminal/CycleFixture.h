#pragma once

#include "TrafficFixture.h"

#include "platform/HandOver.h"
#include "support/ListChoice.h"
#include "terminal/commcyclethread.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>

#include <functional>
#include <mutex>
#include <vector>

// The main window with an instrument on COM3 that answers "OK", and the cycle
// worker that the port selection started. The cycle controls are driven as a
// user drives them; every pause a run takes is noted.
class CycleFixture : public TrafficFixture
{
protected:
    void SetUp() override
    {
        TrafficFixture::SetUp();
        ASSERT_NE(CycleThread, nullptr);
        AnswerEveryCommand("OK\r\n");
        TCommCycleThread::WatchPauses([this](int milliseconds) {
            std::lock_guard lock(PauseMutex);
            PauseLog.push_back(milliseconds);
        });
    }
    // The workers end with the windows, before the notes go.
    void TearDown() override
    {
        TrafficFixture::TearDown();
        TCommCycleThread::WatchPauses({});
    }

    // Waits, the window thread serving the worker's hand-overs meanwhile,
    // until the condition holds; false when it still does not after timeoutMs.
    static bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            platform::WaitTurn();
        }
        return condition();
    }
    bool WaitForCommandCount(int count) const
    {
        return WaitUntil([&] { return Instrument->Commands().size() >= count; });
    }
    bool WaitForMarkerOn(const QString& line) const
    {
        return WaitUntil([&] { return FilePane()->toPlainText().contains(line + " <--"); });
    }
    // A run that STOP ended leaves no mark of its last step, so a test that
    // runs again first chooses the port again: the new worker starts clean,
    // and the old one has ended once only one is left.
    void TakeFreshWorker()
    {
        ChooseFromList(*MainControl<QComboBox>("cboCommTerminal"), 0, ListGesture::ListMouse);
        ASSERT_TRUE(WaitUntil([] { return TCommCycleThread::LiveWorkers() == 1; }));
    }

    // A new adapter on COM3 answering "OK", its port chosen after a rescan,
    // as a user brings back one that was pulled.
    void PlugInAgain()
    {
        Instrument.reset();
        Instrument = std::make_unique<FakeInstrument>(3);
        AnswerEveryCommand("OK\r\n");
        MainEntry("CommPortScan1")->trigger();
        TakeFreshWorker();
    }
    // The adapter goes when this command arrives, which gets no reply; every
    // command before it is answered "OK".
    void PullAt(const QByteArray& command)
    {
        Instrument->SetRule([instrument = Instrument.get(), command](const QByteArray& arrived) {
            if (arrived != command)
                return FakeReply("OK\r\n");
            instrument->Pull();
            return FakeReply();
        });
    }

    void SetBox(const char* name, const QString& text) { MainControl<QLineEdit>(name)->setText(text); }
    QString Box(const char* name) const { return MainControl<QLineEdit>(name)->text(); }
    QCheckBox* StringBox(int n) const { return MainControl<QCheckBox>(qPrintable(QString("cbCycleString%1").arg(n))); }
    // Common strings 1, 2, ... holding the texts, ticked where ticks has an "x".
    void SetStrings(const QStringList& texts, const QString& ticks)
    {
        for (int n = 1; n <= texts.size(); ++n) {
            SetBox(qPrintable(QStringLiteral("edString%1").arg(n)), texts[n - 1]);
            StringBox(n)->setChecked(ticks.at(n - 1) == QLatin1Char('x'));
        }
    }
    QPushButton* StartButton() const { return MainControl<QPushButton>("cmdStartCycle"); }
    void PressStart() { StartButton()->click(); }
    void PressStop() { MainControl<QPushButton>("cmdStopCycle")->click(); }
    // The command-file pane shown through the View menu, holding the text.
    void ShowCommandFile(const QString& text)
    {
        MainEntry("ViewCommandFileWindow1")->trigger();
        FilePane()->setPlainText(text);
    }
    QList<QByteArray> Commands() const { return Instrument->Commands(); }
    // The pauses noted since the last call.
    std::vector<int> TakePauses()
    {
        std::lock_guard lock(PauseMutex);
        return std::exchange(PauseLog, {});
    }

private:
    std::mutex PauseMutex;
    std::vector<int> PauseLog;
};
