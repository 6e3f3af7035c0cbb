// The Tessaline panel's showing with the default configuration file, against
// an instrument on a pseudo-terminal that answers every command at once. Each
// of the about twenty commands of a showing is a full send and reply read.
// Printed, as medians of 20 showings: the time of the showing, the commands
// it sent, the waits the send road prescribes for them (15 polls of 1 ms of
// silence after each reply and 5 ms after each echo, as this machine sleeps
// them) and what is left per command: the program's own overhead, beside the
// send road's own overhead per command, a plain send through the command box
// measured in the same run. The panel's overhead should stay within 1.2 times
// the send road's. Run by hand.

#include "BenchTerminal.h"
#include "BenchTiming.h"

#include "panels/TessalineControl.h"
#include "panels/TessalineLanguage.h"
#include "platform/Application.h"
#include "terminal/Main.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = BenchClock;

constexpr int Showings = 20;
constexpr int Sends = 200;

double PlainSendMs(QLineEdit& commandBox)
{
    return MedianOf(Sends, [&commandBox] {
        commandBox.setText(QStringLiteral(";LC:SS?"));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(&commandBox, &press);
    });
}

// The panel closed and the default file in place, so the next show is a showing.
void PrepareShowing()
{
    TessalineControlForm->close();
    QFile file(TessalineConfigFileName());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(tessaline::WriteConfiguration(tessaline::Configuration{}));
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CommApplication app(argc, argv);

    BenchTerminal terminal("OK\r\n");
    FakeInstrument& instrument = terminal.Instrument;
    TCommTermForm& form = *CommTermForm;
    form.ShowCommTerminal1Click();
    QCoreApplication::processEvents();

    const double waits = PrescribedWaitMs(Sends);
    const double road = PlainSendMs(*form.eSendCommand) - waits;
    std::vector<double> times;
    std::vector<double> counts;
    for (int run = 0; run < Showings; ++run) {
        PrepareShowing();
        instrument.ClearReceived();
        const auto start = Clock::now();
        TessalineControlForm->show();
        times.push_back(Milliseconds(Clock::now() - start));
        counts.push_back(static_cast<double>(instrument.Commands().size()));
    }
    TessalineControlForm->close();
    const double showing = Median(times);
    const double commands = Median(counts);
    const double prescribed = commands * waits;
    const double overhead = (showing - prescribed) / commands;

    std::printf("prescribed waits per command (15 x 1 ms + 5 ms, as this machine sleeps them): %.3f ms\n", waits);
    std::printf("send road's own overhead per command (plain send less its waits): %.3f ms\n", road);
    std::printf("showing: %.3f ms for %.0f commands; prescribed waits %.3f ms\n", showing, commands, prescribed);
    std::printf("panel's own overhead per command: %.3f ms (%.2f x the send road's; %s 1.2)\n", overhead,
                overhead / road, overhead <= 1.2 * road ? "within" : "BEYOND");
    return 0;
}
