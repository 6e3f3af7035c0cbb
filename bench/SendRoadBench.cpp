// The send road's own cost: the time from Enter in the command box to the
// reply in the terminal pane, and on to the pane painted, against an
// instrument on a pseudo-terminal that answers at once, less the waits the
// road prescribes (15 polls of silence after the reply and the 5 ms pause
// after the echo). Measured into an empty pane and log, and into both filled
// to 19000 lines, whose cost must not grow with them. Logging is on and the
// log window shown. Run by hand; prints its figures.

#include "BenchTerminal.h"
#include "BenchTiming.h"

#include "platform/Application.h"
#include "terminal/Main.h"
#include "terminal/CommLog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = BenchClock;

constexpr int Sends = 200;
constexpr int FilledLines = 19000;

// The serial read of one reply on its own, less its 15 polls of silence:
// what is left is the wait for the first byte, polled every 1 ms.
double FirstByteWaitMs(CSerialPort& port)
{
    const double silence = MedianOf(Sends, [] {
        for (int poll = 0; poll < 15; ++poll)
            QThread::msleep(1);
    });
    const double read = MedianOf(Sends, [&port] {
        port.PurgeRxBuffer();
        port.WriteCommPort("*IDN?", "\r\n");
        QByteArray reply;
        QString time;
        port.ReadCommPort(reply, time);
    });
    return read - silence;
}

QString Lines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("[12:34:56:789]  a filler line of about sixty characters %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

void PressEnter(QLineEdit& box)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(&box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(&box, &release);
}

struct SendTimes
{
    double ReplyInPaneMs;   // Enter until the handler has put the reply in the pane
    double ReplyPaintedMs;  // ... and the window has painted it
};

// Median times of one send.
SendTimes MedianSend(TCommTermForm& form)
{
    std::vector<double> inPane;
    std::vector<double> painted;
    for (int send = 0; send < Sends; ++send) {
        form.eSendCommand->setText(QStringLiteral("*IDN? %1").arg(send));
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        PressEnter(*form.eSendCommand);
        inPane.push_back(Milliseconds(Clock::now() - start));
        QCoreApplication::processEvents();
        painted.push_back(Milliseconds(Clock::now() - start));
    }
    return {Median(inPane), Median(painted)};
}

void Report(const char* what, const SendTimes& times, double waits)
{
    std::printf("%s: reply in pane %.3f ms (overhead %.3f ms), painted %.3f ms (overhead %.3f ms)\n", what,
                times.ReplyInPaneMs, times.ReplyInPaneMs - waits, times.ReplyPaintedMs,
                times.ReplyPaintedMs - waits);
}

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void FillPaneAndLog(TCommTermForm& form)
{
    const QString filler = Lines(FilledLines);
    form.findChild<QTextEdit*>(QStringLiteral("reCommTerminal"))->setPlainText(filler);
    if (auto* log = CommLogForm->findChild<QPlainTextEdit*>(QStringLiteral("reLog")))
        log->setPlainText(filler);
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CommApplication app(argc, argv);

    BenchTerminal terminal("OK\r\n");
    TCommTermForm& form = *CommTermForm;
    form.ViewLog2Click();
    QCoreApplication::processEvents();

    const double waits = PrescribedWaitMs(Sends);
    const double firstByte = FirstByteWaitMs(*form.CommPort);
    const SendTimes empty = MedianSend(form);
    form.ClearOutgoingandIncommingWindow1Click();
    FillPaneAndLog(form);
    const SendTimes full = MedianSend(form);

    std::printf("prescribed waits (15 x 1 ms + 5 ms, as this machine sleeps them): %.3f ms\n", waits);
    std::printf("the serial read's wait for the first byte (1 ms polls; in the overheads below): %.3f ms\n",
                firstByte);
    Report("empty pane and log", empty, waits);
    Report("pane and log of 19000 lines", full, waits);
    std::printf("overhead ratio full/empty: in pane %.2f, painted %.2f\n",
                (full.ReplyInPaneMs - waits) / (empty.ReplyInPaneMs - waits),
                (full.ReplyPaintedMs - waits) / (empty.ReplyPaintedMs - waits));
    std::printf("peak memory: %ld kB\n", PeakMemoryKb());
    std::printf("commands the instrument received: %lld\n",
                static_cast<long long>(terminal.Instrument.Commands().size()));
    return 0;
}
