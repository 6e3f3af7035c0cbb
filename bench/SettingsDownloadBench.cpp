// The settings download's own cost: a 250-line query file of plain queries
// run through the settings window against an instrument on a
// pseudo-terminal that answers at once. Printed: the whole time of the
// Download click, the waits the download prescribes (20 ms before each line,
// 500 ms before the save dialog, 5 polls of 1 ms of silence after each
// reply) as this machine sleeps them, and what is left per line: the
// program's own overhead, which includes the serial read's 1 ms polls for
// the first byte (printed on their own too). As that difference of two
// timings carries the machine's sleep jitter, the window thread's own CPU
// time per line is printed as well. Then the peak memory of a
// download of 5000 lines with 2000 of them held back (about two and a half
// minutes; left out when the program is given "short"). Run by hand.

#include "BenchTerminal.h"
#include "support/ModalScript.h"

#include "platform/Application.h"
#include "settings_transfer/InstrumentSetting.h"
#include "terminal/Main.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QDialog>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <sys/resource.h>
#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int QueryLines = 250;
constexpr int LongQueryLines = 5000;
constexpr int HeldLines = 2000;
constexpr int Runs = 3;

double MillisecondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The fixed waits of one download of that many plain queries.
void PrescribedWaits(int lines)
{
    QThread::msleep(500);
    for (int line = 0; line < lines; ++line) {
        QThread::msleep(20);
        for (int poll = 0; poll < 5; ++poll)
            QThread::msleep(1);
    }
}

// The exchange's read of one reply less its 5 polls of silence: the wait for
// the first byte, polled every 1 ms.
double FirstByteWaitMs(CSerialPort& port)
{
    constexpr int Reads = 200;
    const double silence = MillisecondsOf([] {
        for (int read = 0; read < Reads; ++read) {
            for (int poll = 0; poll < 5; ++poll)
                QThread::msleep(1);
        }
    });
    const double reads = MillisecondsOf([&port] {
        for (int read = 0; read < Reads; ++read) {
            port.PurgeRxBuffer();
            port.WriteCommPort(":POW?", "\r\n");
            QByteArray reply;
            port.ReadCommPortLongWait(reply);
        }
    });
    return (reads - silence) / Reads;
}

QString WriteQueryFile(const QString& folder, int lines, int held)
{
    QByteArray text = "// plain queries\r\n";
    for (int line = 0; line < lines; ++line) {
        if (line == lines - held)
            text += "/* held back\r\n";
        text += "Setting " + QByteArray::number(line) + ",:SOUR" + QByteArray::number(line % 10) + ":POW?\r\n";
    }
    text += "*/\r\n";
    const QString path = folder + QStringLiteral("/bench.iqf");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

double Download(TestServices& services, const QString& queryFile)
{
    services.AnswerFileDialog(queryFile);
    services.CancelFileDialog();
    return MillisecondsOf([] { InstrumentSettingForm->cmdDownloadClick(); });
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    CommApplication app(argc, argv);
    const bool onlyShort = argc > 1 && qstrcmp(argv[1], "short") == 0;

    BenchTerminal terminal("12.5\r\n");
    TCommTermForm& form = *CommTermForm;
    const double firstByte = FirstByteWaitMs(*form.CommPort);

    // Inside the window as the menu entry shows it: the worker ended, the port held.
    ModalScript window(*InstrumentSettingForm);
    window.Then([&](QDialog& dialog) {
        const QString queryFile = WriteQueryFile(terminal.Folder.Path(), QueryLines, 0);
        std::vector<double> overheads;
        std::vector<double> cpuTimes;
        for (int run = 0; run < Runs; ++run) {
            const double waits = MillisecondsOf([] { PrescribedWaits(QueryLines); });
            const double cpuBefore = ThreadCpuMs();
            const double whole = Download(terminal.Services, queryFile);
            cpuTimes.push_back((ThreadCpuMs() - cpuBefore) / QueryLines);
            overheads.push_back((whole - waits) / QueryLines);
            std::printf("download of %d plain queries: %.1f ms; prescribed waits (500 ms + %d x (20 ms + 5 x 1 ms), "
                        "as this machine sleeps them): %.1f ms\n", QueryLines, whole, QueryLines, waits);
        }
        std::printf("overhead per line (median of %d): %.3f ms, of which the 1 ms polls for the first byte: %.3f ms\n",
                    Runs, Median(overheads), firstByte);
        std::printf("window thread's CPU time per line (median), sleeps' own system time included: %.3f ms\n",
                    Median(cpuTimes));
        std::printf("commands the instrument received: %lld\n", static_cast<long long>(terminal.Instrument.Commands().size()));
        if (!onlyShort) {
            const long before = PeakMemoryKb();
            const double longDownload = Download(terminal.Services, WriteQueryFile(terminal.Folder.Path(), LongQueryLines, HeldLines));
            std::printf("download of %d lines, %d held back: %.1f s; peak memory %ld kB (%ld kB before it)\n",
                        LongQueryLines, HeldLines, longDownload / 1000, PeakMemoryKb(), before);
        }
        dialog.reject();
    });
    form.DownloadSettings1Click();
    return 0;
}
