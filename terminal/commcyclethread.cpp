#include "terminal/commcyclethread.h"

#include "platform/Application.h"
#include "platform/Conversions.h"
#include "platform/Exceptions.h"
#include "platform/HandOver.h"
#include "terminal/Main.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>

TCommCycleThread* CycleThread = nullptr;

namespace CommandFileFormat {

namespace {

const QString DirectiveMark = QStringLiteral("|:");
const QString CommentMark = QStringLiteral("//");

bool IsControl(QChar character)
{
    return character.unicode() < 33;
}

FileLine Directive(const QString& line)
{
    const QString directive = TrimControls(line.mid(line.indexOf(DirectiveMark) + DirectiveMark.size()));
    FileLine result;
    result.Kind = LineKind::Directive;
    const qsizetype blank = directive.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        result.Keyword = directive;
        result.Argument = directive;
    } else {
        result.Keyword = directive.left(blank);
        result.Argument = TrimControls(directive.mid(blank + 1));
    }
    return result;
}

} // namespace

QString TrimControls(const QString& text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && IsControl(text.at(first)))
        ++first;
    while (end > first && IsControl(text.at(end - 1)))
        --end;
    return text.mid(first, end - first);
}

// A "//" in front of "|:" still makes a directive line, and a "//" after a
// command makes the whole line a comment.
FileLine ReadFileLine(const QString& line)
{
    if (line.contains(DirectiveMark))
        return Directive(line);
    if (line.contains(CommentMark) || line.isEmpty())
        return {};
    FileLine result;
    result.Kind = LineKind::Command;
    result.Command = TrimControls(line);
    return result;
}

int PaneLineCount(const QTextDocument& pane)
{
    const int blocks = pane.blockCount();
    return pane.lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

QStringList PaneLines(const QTextDocument& pane)
{
    QStringList lines;
    const int count = PaneLineCount(pane);
    QTextBlock block = pane.begin();
    for (int index = 0; index < count; ++index, block = block.next())
        lines << block.text();
    return lines;
}

} // namespace CommandFileFormat

namespace {

using namespace CommandFileFormat;

constexpr int PollInterval = 5;
constexpr int HaltStep = 1;
// A count box that holds no number: a cycle run goes on until STOP, a
// command-file run runs the file once.
constexpr int EndlessCycles = 0;
constexpr int OneFilePass = 1;

// Workers that have started and not yet freed themselves.
std::mutex liveMutex;
std::set<TCommCycleThread*> liveWorkers;

// Tests watch the pauses of the runs through this.
std::mutex watcherMutex;
std::function<void(int)> pauseWatcher;

void ReplacePaneLine(QTextDocument& pane, int index, const QString& text)
{
    QTextCursor cursor(pane.findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

} // namespace

TCommCycleThread::TCommCycleThread(bool CreateSuspended)
{
    if (CommTermForm != nullptr)
        CommTermForm->CycleThreadDone = false;
    if (!CreateSuspended)
        Start();
}

void TCommCycleThread::Start()
{
    if (Started)
        return;
    Started = true;
    std::lock_guard lock(liveMutex);
    liveWorkers.insert(this);
    try {
        std::thread(&TCommCycleThread::ThreadBody, this).detach();
    } catch (...) {
        liveWorkers.erase(this);
        Started = false;
        throw;
    }
}

void TCommCycleThread::Terminate()
{
    {
        std::lock_guard lock(SleepMutex);
        TerminateRequested = true;
    }
    WakeUp.notify_all();
}

// The worker frees itself once Execute has returned; its end report comes
// first, so the window thread never waits on a worker that is already gone.
// It leaves the live set as it goes, so that TerminateAll never reaches it.
void TCommCycleThread::ThreadBody(TCommCycleThread* worker)
{
    worker->Execute();
    try {
        worker->ReportEnd();
    } catch (...) {
        // The window thread has ended: nobody waits for the report any more.
    }
    std::lock_guard lock(liveMutex);
    liveWorkers.erase(worker);
    delete worker;
}

void TCommCycleThread::ReportEnd()
{
    platform::RunOnWindowThread([this] {
        if (CycleThread == this && CommTermForm != nullptr)
            CommTermForm->CycleThreadDone = true;
    });
}

void TCommCycleThread::TerminateAll()
{
    std::lock_guard lock(liveMutex);
    for (TCommCycleThread* worker : liveWorkers)
        worker->Terminate();
}

void TCommCycleThread::WaitUntilAllEnded()
{
    while (LiveWorkers() > 0)
        platform::WaitTurn();
}

int TCommCycleThread::LiveWorkers()
{
    std::lock_guard lock(liveMutex);
    return static_cast<int>(liveWorkers.size());
}

void TCommCycleThread::WatchPauses(std::function<void(int)> watcher)
{
    std::lock_guard lock(watcherMutex);
    pauseWatcher = std::move(watcher);
}

void TCommCycleThread::Execute()
{
    while (!Terminated()) {
        Sleep(PollInterval);
        if (!Terminated() && RunCycle)
            RunGuarded(&TCommCycleThread::CycleRun, RunCycle);
        if (!Terminated() && RunFile)
            RunGuarded(&TCommCycleThread::FileRun, RunFile);
    }
}

// An error raised inside a run (by a send handed to the window thread, or a
// window or window thread that has gone) ends that run, not the worker: the
// run's flag is cleared, a command-file run gives START its caption back, the
// error is shown and the worker goes back to polling.
void TCommCycleThread::RunGuarded(void (TCommCycleThread::*run)(), std::atomic<bool>& flag)
{
    try {
        (this->*run)();
    } catch (...) {
        flag = false;
        EndRunAfterError(std::current_exception(), &flag == &RunFile);
    }
}

void TCommCycleThread::EndRunAfterError(const std::exception_ptr& error, bool fileRun)
{
    try {
        OnWindow([&](TCommTermForm& form) {
            if (fileRun)
                form.cmdStartCycle->setText(QStringLiteral("&START"));
            CommApplication::ShowException(error);
        });
    } catch (...) {
        // The main window is closing or gone; there is nobody to tell.
    }
}

void TCommCycleThread::CycleRun()
{
    RunPasses(EndlessCycles, RunCycle, [this] {
        if (Terminated() || !RunCycle)
            return false;
        SendTickedStrings();
        return true;
    });
    RunCycle = false;
}

// The flags are looked at once per pass, so a STOP in the middle of a pass
// lets it send its remaining ticked strings; a pass whose send found the port
// gone sends none of them.
void TCommCycleThread::SendTickedStrings()
{
    for (int n = 1; n <= 5; ++n) {
        if (!StringTicked(n))
            continue;
        if (!SendCommonString(n))
            return;
        CommandDelay();
    }
}

void TCommCycleThread::FileRun()
{
    TakeHaltFlag();
    RunPasses(OneFilePass, RunFile, [this] { return RunFileLines(); });
    SetStartCaption(QStringLiteral("&START"));
    RunFile = false;
}

// One pass over the pane, whose length is read again at every line; false
// when the run is ending.
bool TCommCycleThread::RunFileLines()
{
    for (int index = 0;; ++index) {
        const std::optional<QString> line = PaneLine(index);
        if (!line)
            return true;
        if (Terminated() || !RunFile)
            return false;
        RunFileLine(index, *line);
    }
}

void TCommCycleThread::RunFileLine(int index, const QString& line)
{
    const FileLine fileLine = ReadFileLine(line);
    if (fileLine.Kind == LineKind::Passed)
        return;
    SetPaneLine(index, line + RunningLineMarker);
    try {
        if (fileLine.Kind == LineKind::Command)
            RunCommandLine(fileLine);
        else
            RunDirective(fileLine);
    } catch (...) {
        RestorePaneLine(index, line);
        throw;
    }
    SetPaneLine(index, line);
}

void TCommCycleThread::RunCommandLine(const FileLine& line)
{
    SendCommand(line.Command);
    CommandDelay();
}

void TCommCycleThread::RunDirective(const FileLine& line)
{
    if (line.Keyword == QLatin1String("HALT")) {
        Halt();
    } else if (line.Keyword == QLatin1String("WAIT")) {
        const int pause = platform::StrToIntDef(line.Argument, 1);
        if (pause >= 1)
            Pause(pause);
    }
}

// The main window's FileHalted, cleared at the start of a command-file run;
// the window outlives every worker, so the flag may be polled from here.
void TCommCycleThread::TakeHaltFlag()
{
    OnWindow([this](TCommTermForm& form) {
        HaltFlag = &form.FileHalted;
        *HaltFlag = false;
    });
}

void TCommCycleThread::Halt()
{
    std::atomic<bool>& halted = *HaltFlag;
    halted = true;
    SetStartCaption(QStringLiteral("Continue"));
    while (halted && RunFile && !Terminated())
        Sleep(HaltStep);
    halted = false;
}

// The passes of a run. A count of N sends N passes, each followed by the
// cycle delay; 0 goes on until the run's flag is cleared; a negative count
// runs nothing. A pass that finds the run ending still counts and waits.
void TCommCycleThread::RunPasses(int countFallback, std::atomic<bool>& flag, const std::function<bool()>& pass)
{
    CurrentCycle = 0;
    CycleCount = BoxNumber(&TCommTermForm::leCycleCount, countFallback);
    ShowCurrentCycle();
    // Wider than the count, so the largest count cannot overflow it.
    std::int64_t p = 0;
    while (p <= CycleCount) {
        if (p == 0)
            p = 1;
        NotePassStart();
        const bool ending = !pass();
        CountPass();
        CycleDelay();
        if (ending)
            break;
        if (CycleCount == 0) {
            if (Terminated() || !flag)
                break;
            p = 0;
            continue;
        }
        ++p;
    }
}

void TCommCycleThread::NotePassStart()
{
    OnWindow([this](TCommTermForm& form) { LostSendsAtPassStart = form.PortLostSends; });
}

// An endless run may count past the largest number; it wraps round as the
// counter always has instead of overflowing.
void TCommCycleThread::CountPass()
{
    CurrentCycle = static_cast<int>(static_cast<std::uint32_t>(CurrentCycle) + 1U);
    ShowCurrentCycle();
}

void TCommCycleThread::CommandDelay()
{
    const int delay = TakeCommandDelay();
    if (delay >= 1)
        Pause(delay);
}

void TCommCycleThread::CycleDelay()
{
    const int delay = BoxNumber(&TCommTermForm::leCycleDelay, 0);
    if (delay >= 1)
        Pause(delay);
}

void TCommCycleThread::Pause(int milliseconds)
{
    {
        std::lock_guard lock(watcherMutex);
        if (pauseWatcher)
            pauseWatcher(milliseconds);
    }
    Sleep(milliseconds);
}

// Sleeps on the worker's own thread; a terminate request ends the sleep at
// once, however long it was (a WAIT may ask for 2^31 ms).
void TCommCycleThread::Sleep(int milliseconds)
{
    std::unique_lock lock(SleepMutex);
    WakeUp.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return Terminated(); });
}

// Once the main window's close has begun no step runs: none may send or
// reach a window that is on its way out.
void TCommCycleThread::OnWindow(const std::function<void(TCommTermForm& form)>& step)
{
    platform::RunOnWindowThread([&step] {
        if (CommTermForm == nullptr || CommTermForm->CloseBegun)
            throw Exception(QStringLiteral("The main window has closed"));
        step(*CommTermForm);
    });
}

// A send the main window refuses is dropped; the run goes on to its next
// check, which ends it, and leaves the pane and START as a run's end does.
// Once any send (this worker's, a panel's poll) has found the port gone since
// the pass began, the pass sends nothing more: that send's rescan has told the
// user, and every further send would find no port and rescan again. False
// from then on.
bool TCommCycleThread::SendOnWindow(const std::function<void(TCommTermForm& form)>& send)
{
    bool portLost = false;
    OnWindow([&](TCommTermForm& form) {
        const auto lostInPass = [&] { return form.PortLostSends != LostSendsAtPassStart; };
        if (!lostInPass() && !form.WorkerSendsRefused)
            send(form);
        portLost = lostInPass();
    });
    return !portLost;
}

int TCommCycleThread::BoxNumber(QLineEdit* Ui::TCommTermForm::*box, int fallback)
{
    int number = fallback;
    OnWindow([&](TCommTermForm& form) { number = platform::StrToIntDef((form.*box)->text(), fallback); });
    return number;
}

// A negative command delay is written back as "0" and gives no pause.
int TCommCycleThread::TakeCommandDelay()
{
    int delay = 0;
    OnWindow([&](TCommTermForm& form) {
        delay = platform::StrToIntDef(form.leCommandDelay->text(), 0);
        if (delay < 0)
            form.leCommandDelay->setText(QStringLiteral("0"));
    });
    return delay;
}

void TCommCycleThread::ShowCurrentCycle()
{
    const int cycle = CurrentCycle;
    OnWindow([cycle](TCommTermForm& form) { form.leCurrentCycle->setText(QString::number(cycle)); });
}

bool TCommCycleThread::StringTicked(int n)
{
    bool ticked = false;
    OnWindow([&](TCommTermForm& form) {
        const QCheckBox* const boxes[] = {form.cbCycleString1, form.cbCycleString2, form.cbCycleString3,
                                          form.cbCycleString4, form.cbCycleString5};
        ticked = boxes[n - 1]->isChecked();
    });
    return ticked;
}

bool TCommCycleThread::SendCommonString(int n)
{
    using Click = void (TCommTermForm::*)();
    static constexpr std::array<Click, 5> clicks = {
        &TCommTermForm::bbSendString1Click, &TCommTermForm::bbSendString2Click, &TCommTermForm::bbSendString3Click,
        &TCommTermForm::bbSendString4Click, &TCommTermForm::bbSendString5Click};
    const Click click = clicks.at(static_cast<std::size_t>(n - 1));
    return SendOnWindow([click](TCommTermForm& form) { (form.*click)(); });
}

std::optional<QString> TCommCycleThread::PaneLine(int index)
{
    std::optional<QString> line;
    OnWindow([&](TCommTermForm& form) {
        const QTextDocument& pane = *form.reInputFile->document();
        if (index < PaneLineCount(pane))
            line = pane.findBlockByNumber(index).text();
    });
    return line;
}

// A line the user has deleted meanwhile is left alone.
void TCommCycleThread::SetPaneLine(int index, const QString& text)
{
    OnWindow([&](TCommTermForm& form) {
        QTextDocument& pane = *form.reInputFile->document();
        if (index < PaneLineCount(pane))
            form.ChangeCommandFileByProgram([&] { ReplacePaneLine(pane, index, text); });
    });
}

void TCommCycleThread::RestorePaneLine(int index, const QString& text)
{
    try {
        SetPaneLine(index, text);
    } catch (...) {
        // The window has gone with its pane; the run's own error is reported.
    }
}

// A send that found the port gone has stopped the run: the next line's check
// ends it.
void TCommCycleThread::SendCommand(const QString& text)
{
    SendOnWindow([&](TCommTermForm& form) {
        form.eSendCommand->setText(text);
        form.SendCommandBoxText();
    });
}

void TCommCycleThread::SetStartCaption(const QString& caption)
{
    OnWindow([&](TCommTermForm& form) { form.cmdStartCycle->setText(caption); });
}
