#pragma once

#include "support/QtPrinters.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <termios.h>

class QTemporaryDir;

// A temporary install folder with an empty ports/ folder. While it lives,
// InstallFolder points at it; on destruction InstallFolder goes back to the
// program's folder. Create it before any FakeInstrument and let it die last
// (declare it first in a fixture).
class TestInstallFolder
{
public:
    TestInstallFolder();
    ~TestInstallFolder();
    TestInstallFolder(const TestInstallFolder&) = delete;
    TestInstallFolder& operator=(const TestInstallFolder&) = delete;

    QString Path() const;
    // ports/COMn -> target; a target that does not exist makes the port absent.
    void LinkPort(int portNumber, const QString& target);
    // Points every COM1..COM119 without a link at a missing device, so that a
    // scan never reaches the machine's own serial ports.
    void HideUnlinkedPorts();

private:
    std::unique_ptr<QTemporaryDir> folder;
};

// What the instrument sends back for one command.
struct FakeReply
{
    FakeReply() = default;
    FakeReply(QByteArray bytes, int delayMs = 0, int pieceSize = 0, int pauseMs = 0)
        : Bytes(std::move(bytes)), DelayMs(delayMs), PieceSize(pieceSize), PauseMs(pauseMs) {}
    FakeReply(const char* bytes) : Bytes(bytes) {}

    QByteArray Bytes;       // empty: no answer
    int DelayMs = 0;        // silence before the first byte
    int PieceSize = 0;      // > 0: sent in pieces of this many bytes ...
    int PauseMs = 0;        // ... with this pause between them
};

// An instrument on a pseudo-terminal, reachable by the program as COMn of
// the current install folder (ports/COMn links to the pty's slave side).
//
// A thread on the master side records every byte the program writes and
// splits it into commands on the terminator; each complete command is handed
// to the rule and the reply it gives is sent back, in order, on that thread.
// Every member may be called from any thread.
//
// The instrument never changes the line settings: the slave starts with the
// kernel's defaults (echo, canonical input) like a real port, and the
// program's set-up makes it raw. It keeps its own descriptor on the slave
// side so that the program closing and reopening the port never hangs up the
// line.
class FakeInstrument
{
    template <class Step>
    auto Locked(Step step) const
    {
        std::lock_guard lock(Mutex);
        return step();
    }

public:
    using Rule = std::function<FakeReply(const QByteArray& command)>;

    // Links ports/COM<portNumber>. An empty terminator records bytes only.
    explicit FakeInstrument(int portNumber, QByteArray terminator = "\r\n");
    ~FakeInstrument();
    FakeInstrument(const FakeInstrument&) = delete;
    FakeInstrument& operator=(const FakeInstrument&) = delete;

    QString PortName() const { return QStringLiteral("COM%1").arg(PortNumber); }
    QString SlavePath() const { return SlaveName; }  // "/dev/pts/N"

    // The rule for later commands; by default no command is answered.
    void SetRule(Rule rule) { Locked([&] { Answer = std::move(rule); }); }
    // Sends bytes at once, as unsolicited output of the instrument.
    void Send(const QByteArray& bytes) { Write(bytes); }

    // Every byte so far.
    QByteArray Received() const { return Locked([this] { return ReceivedBytes; }); }
    // The complete commands so far, without terminator.
    QList<QByteArray> Commands() const { return Locked([this] { return Completed; }); }
    // Forgets bytes and commands.
    void ClearReceived()
    {
        Locked([this] {
            ReceivedBytes.clear();
            Pending.clear();
            Completed.clear();
        });
    }

    // True once that many commands (bytes) arrived in total; false after timeoutMs.
    bool WaitForCommands(int count, int timeoutMs = 5000) const
    {
        return WaitUntil(timeoutMs, [this, count] { return Completed.size() >= count; });
    }
    bool WaitForBytes(int count, int timeoutMs = 5000) const
    {
        return WaitUntil(timeoutMs, [this, count] { return ReceivedBytes.size() >= count; });
    }

    // Bytes sent that the program has not read yet (the port's input queue).
    int Queued() const;
    // True once at least count bytes wait in the port's input queue; false after timeoutMs.
    bool WaitForQueued(int count, int timeoutMs = 5000) const;

    // From now on the port's input queue holds at most limit bytes, as a
    // driver's buffer does: what would overrun it is dropped and counted.
    // 0 (the default) lets the instrument wait for room instead.
    void SetQueueLimit(int limit) { QueueLimit = limit; }
    int DroppedBytes() const { return Dropped; }

    // The line settings the program gave the port.
    termios SlaveTermios() const;

    // The adapter is pulled: the port's name no longer opens and the line is
    // hung up, so a write on a descriptor the program still holds fails. The
    // instrument records nothing more until it is plugged in again. Callable
    // from a rule, to pull it in the middle of a sequence; from any other
    // thread it returns once the line is down.
    void Pull();
    // The adapter, pulled first if it was not, is plugged in again: a new
    // line with the kernel's defaults, as a new tty node has them, under the
    // same name, and the instrument answers by its rule and records again.
    // Not from a rule.
    void Plug();

private:
    void Connect();
    void ReadLoop();
    void HangUp();
    QList<QByteArray> Record(const QByteArray& bytes);
    void Reply(const FakeReply& reply);
    bool Pause(int ms);
    void Write(const QByteArray& bytes);
    bool WaitUntil(int timeoutMs, const std::function<bool()>& done) const;

    const int PortNumber;
    const QByteArray Terminator;
    int Master = -1;
    int Slave = -1;
    QString SlaveName;
    QString LinkPath;

    mutable std::mutex Mutex;
    mutable std::condition_variable Changed;
    Rule Answer;
    QByteArray ReceivedBytes;
    QByteArray Pending;
    QList<QByteArray> Completed;

    std::mutex WriteMutex;
    std::atomic<bool> Stopping{false};
    std::atomic<bool> Pulled{false};
    bool LineDown = false;  // under Mutex
    std::atomic<int> QueueLimit{0};
    std::atomic<int> Dropped{0};
    std::thread Reader;  // last: starts once everything above is in place
};
