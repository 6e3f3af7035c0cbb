// The cost of logging as the traffic log fills up: entries of 60 characters
// appended one by one, each append reading the log's displayed line count
// first as every append does. The time for 20000 entries may be at most 4.5
// times that for 5000; anything that makes one append slower as the log grows
// shows as a larger ratio, and as 5000 entries into a log that already holds
// 15000 lines taking longer than 5000 into an empty one.

#include "app/Startup.h"
#include "platform/Application.h"
#include "platform/InstallFolder.h"
#include "terminal/CommLog.h"
#include "terminal/Main.h"

#include <benchmark/benchmark.h>

#include <QColor>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

const QColor Black(0, 0, 0);
const QColor Green(0, 128, 0);

// "[" stamp "]  " and text, 60 characters in all.
QString Entry(int number)
{
    const QString head = QStringLiteral("[12:34:56:789]  ;LC:ED? %1 ").arg(number);
    return head + QString(60 - head.size(), QLatin1Char('x'));
}

// Arguments: the entries timed, the lines the log holds before them.
void AppendEntries(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const int held = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        CommLogForm->Button1Click();
        for (int number = 0; number < held; ++number)
            CommLogForm->AppendToLog(Entry(number));
        state.ResumeTiming();
        for (int number = 0; number < entries; ++number) {
            CommLogForm->SetAttributeColor(number % 2 == 0 ? Black : Green);
            CommLogForm->AppendToLog(Entry(number));
        }
    }
    // An entry that wrapped would have filled the log early and measured a save instead.
    if (CommLogForm->LogLineCount != held + entries - 1)
        state.SkipWithError("the entries did not stay one line each");
    state.counters["lines"] = CommLogForm->LogLineCount + 1;
}

// The fastest of several runs is the one least disturbed by the rest of the machine.
double Fastest(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

BENCHMARK(AppendEntries)
    ->Args({5000, 0})->Args({10000, 0})->Args({20000, 0})->Args({5000, 15000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CommApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    // No Logs/ folder: a save, which this does not measure, fails loudly.
    QTemporaryDir folder;
    InstallFolder::SetPath(folder.path());
    InitialiseApplication();
    CreateWindows();
    CommTermForm->EnableLog1Click();
    // Wide enough that no entry wraps; shown, as while a user watches it.
    CommLogForm->resize(1400, 700);
    CommLogForm->show();
    QCoreApplication::processEvents();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyWindows();
    InstallFolder::SetPath(QString());
    return 0;
}
