#pragma once

#include <atomic>

// The terminal's one cycle worker: it polls the two run flags that START and
// STOP set and sends the ticked common strings or the command file's lines
// through the main window's send road. The window thread drives it only
// through RunCycle, RunFile and Terminate, and never frees it: a worker frees
// itself once it has ended.
class TCommCycleThread
{
public:
    // Clears the main window's end report: the new worker is the one it waits for.
    TCommCycleThread();
    TCommCycleThread(const TCommCycleThread&) = delete;
    TCommCycleThread& operator=(const TCommCycleThread&) = delete;

    void Terminate() { TerminateRequested = true; }
    bool Terminated() const { return TerminateRequested; }
    void ClearRunFlags()
    {
        RunCycle = false;
        RunFile = false;
    }

    // Reports on the window thread that this worker has ended. Only the worker
    // the main window holds in CycleThread sets its CycleThreadDone, so a
    // replaced worker that ends late cannot end the wait at close for the
    // current one. Being a hand-over, it also means the window thread cannot
    // see the report and then touch a worker that has already freed itself.
    void ReportEnd();

    std::atomic<bool> RunFile = false;
    std::atomic<bool> RunCycle = false;
    int CurrentCycle = 0;
    int CycleCount = 0;

private:
    std::atomic<bool> TerminateRequested = false;
};

// The current worker; none until a port has been selected.
extern TCommCycleThread* CycleThread;
