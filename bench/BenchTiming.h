#pragma once

#include <QThread>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Timing for the benchmarks that set the program's work against the waits
// the send road prescribes.

using BenchClock = std::chrono::steady_clock;

inline double Milliseconds(BenchClock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The median time of the work over so many runs.
inline double MedianOf(int runs, const std::function<void()>& work)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const auto start = BenchClock::now();
        work();
        samples.push_back(Milliseconds(BenchClock::now() - start));
    }
    return Median(samples);
}

// The waits the send road prescribes for one command as this machine's
// sleeps really take them: 15 polls of 1 ms of silence after the reply and
// 5 ms after the echo.
inline double PrescribedWaitMs(int runs)
{
    return MedianOf(runs, [] {
        for (int poll = 0; poll < 15; ++poll)
            QThread::msleep(1);
        QThread::msleep(5);
    });
}
