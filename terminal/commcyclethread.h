#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

class QLineEdit;
class QTextDocument;
class TCommTermForm;
namespace Ui {
class TCommTermForm;
}

// How a command-file run treats one line of the command-file pane.
namespace CommandFileFormat {

enum class LineKind {
    Command,    // sent through the command box
    Directive,  // holds "|:"; HALT, WAIT or a keyword that does nothing
    Passed,     // a "//" comment or an empty line
};

struct FileLine
{
    LineKind Kind = LineKind::Passed;
    QString Command;   // Command: the text to send
    QString Keyword;   // Directive: compared exactly, letter case counts
    QString Argument;  // Directive: the text after the keyword's blank
};

// Shown after the line being run; the line is put back as it was afterwards.
inline const QString RunningLineMarker = QStringLiteral(" <--");

// The text without blanks and control characters (codes below 33) at either end.
QString TrimControls(const QString& text);

FileLine ReadFileLine(const QString& line);

// The pane's lines as a text file has them: a line break at the very end
// starts no further line, and an empty pane has none.
int PaneLineCount(const QTextDocument& pane);
QStringList PaneLines(const QTextDocument& pane);

} // namespace CommandFileFormat

// The terminal's one cycle worker: it polls the two run flags that START and
// STOP set and sends the ticked common strings or the command file's lines
// through the main window's send road. The window thread drives it only
// through RunCycle, RunFile and Terminate, and never frees it: a started
// worker frees itself once it has ended.
//
// Every access to a control, and every send, is handed to the window thread
// and waited for; only the sleeps run on the worker's own thread.
class TCommCycleThread
{
public:
    // Clears the main window's end report: the new worker is the one it waits
    // for. Created running, the worker's thread starts at once and the object
    // must have been made with new. A worker created suspended runs nothing
    // until Start.
    explicit TCommCycleThread(bool CreateSuspended = true);
    TCommCycleThread(const TCommCycleThread&) = delete;
    TCommCycleThread& operator=(const TCommCycleThread&) = delete;

    void Start();
    // Wakes the worker from any sleep at once; it ends at its next check.
    void Terminate();
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

    // Terminates every worker that has started and not yet ended, replaced
    // ones included.
    static void TerminateAll();
    // On the window thread: waits, carrying out hand-overs, until every worker
    // ever started has ended, replaced ones included. The main window does not
    // go while a worker could still reach it.
    static void WaitUntilAllEnded();
    static int LiveWorkers();

    // The watcher is told every pause a run takes (command delay, cycle delay,
    // WAIT) in milliseconds, on the worker's thread, before the pause begins;
    // an empty one watches nothing. Lets a test see which box each pause came from.
    static void WatchPauses(std::function<void(int milliseconds)> watcher);

    std::atomic<bool> RunFile = false;
    std::atomic<bool> RunCycle = false;
    // Touched by the worker's own thread only.
    int CurrentCycle = 0;
    int CycleCount = 0;

private:
    static void ThreadBody(TCommCycleThread* worker);
    void Execute();
    void RunGuarded(void (TCommCycleThread::*run)(), std::atomic<bool>& flag);

    void CycleRun();
    void SendTickedStrings();
    void FileRun();
    bool RunFileLines();
    void RunFileLine(int index, const QString& line);
    void RunCommandLine(const CommandFileFormat::FileLine& line);
    void RunDirective(const CommandFileFormat::FileLine& line);
    void TakeHaltFlag();
    void Halt();

    void RunPasses(int countFallback, std::atomic<bool>& flag, const std::function<bool()>& pass);
    void NotePassStart();
    void CountPass();
    void CommandDelay();
    void CycleDelay();
    void Pause(int milliseconds);
    void Sleep(int milliseconds);

    void OnWindow(const std::function<void(TCommTermForm& form)>& step);
    bool SendOnWindow(const std::function<void(TCommTermForm& form)>& send);
    int BoxNumber(QLineEdit* Ui::TCommTermForm::*box, int fallback);
    int TakeCommandDelay();
    void ShowCurrentCycle();
    bool StringTicked(int n);
    bool SendCommonString(int n);
    std::optional<QString> PaneLine(int index);
    void SetPaneLine(int index, const QString& text);
    void SendCommand(const QString& text);
    void SetStartCaption(const QString& caption);
    void RestorePaneLine(int index, const QString& text);
    void EndRunAfterError(const std::exception_ptr& error, bool fileRun);

    std::atomic<bool> TerminateRequested = false;
    // Guards the terminate request against a sleep that is just beginning.
    std::mutex SleepMutex;
    std::condition_variable WakeUp;
    bool Started = false;
    std::atomic<bool>* HaltFlag = nullptr;
    // The main window's count of sends that found the port gone, as it stood
    // when the current pass began; read in the steps handed to the window.
    unsigned LostSendsAtPassStart = 0;
};

// The current worker; none until a port has been selected.
extern TCommCycleThread* CycleThread;
