#include "support/FakeInstrument.h"

#include "platform/InstallFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int HighestPortNumber = 119;

QString PortLinkPath(int portNumber)
{
    return InstallFolder::File(QStringLiteral("ports/COM%1").arg(portNumber));
}

void MakeLink(const QString& linkPath, const QString& target)
{
    QFile::remove(linkPath);
    if (::symlink(target.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0)
        throw std::runtime_error("cannot link " + linkPath.toStdString());
}

bool EntryExists(const QString& path)
{
    return QFileInfo(path).isSymLink() || QFileInfo::exists(path);
}

} // namespace

// ---- TestInstallFolder ----

TestInstallFolder::TestInstallFolder() : folder(std::make_unique<QTemporaryDir>())
{
    if (!folder->isValid() || !QDir(folder->path()).mkpath(QStringLiteral("ports")))
        throw std::runtime_error("cannot create a temporary install folder");
    InstallFolder::SetPath(folder->path());
}

TestInstallFolder::~TestInstallFolder()
{
    InstallFolder::SetPath(QString());
}

QString TestInstallFolder::Path() const
{
    return folder->path();
}

void TestInstallFolder::LinkPort(int portNumber, const QString& target)
{
    MakeLink(PortLinkPath(portNumber), target);
}

void TestInstallFolder::HideUnlinkedPorts()
{
    const QString missing = folder->path() + QStringLiteral("/no-such-device");
    for (int number = 1; number <= HighestPortNumber; ++number) {
        if (!EntryExists(PortLinkPath(number)))
            LinkPort(number, missing);
    }
}

// ---- The line behind the instrument ----

class FakeInstrument::Line
{
public:
    Line(int portNumber, QByteArray terminator);
    ~Line();

    void Start() { reader = std::thread([this] { ReadLoop(); }); }

    const int PortNumber;
    const QByteArray Terminator;
    int Master = -1;
    int Slave = -1;
    QString SlavePath;
    QString LinkPath;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    Rule rule;
    QByteArray received;
    QByteArray pending;
    QList<QByteArray> commands;

    std::mutex writeMutex;
    std::atomic<bool> stopping{false};
    std::atomic<int> queueLimit{0};
    std::atomic<int> dropped{0};

    int Queued() const
    {
        int waiting = 0;
        ::ioctl(Slave, FIONREAD, &waiting);
        return waiting;
    }

    void Write(const QByteArray& bytes);
    void Reply(const FakeReply& reply);
    template <typename Done>
    bool WaitUntil(int timeoutMs, Done done) const
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }

private:
    std::array<int, 2> wake{-1, -1};
    std::thread reader;

    void OpenPair();
    void ReadLoop();
    QList<QByteArray> Record(const QByteArray& bytes);
    bool Pause(int ms);
};

FakeInstrument::Line::Line(int portNumber, QByteArray terminator)
    : PortNumber(portNumber), Terminator(std::move(terminator))
{
    OpenPair();
    LinkPath = PortLinkPath(portNumber);
    QDir().mkpath(QFileInfo(LinkPath).path());
    MakeLink(LinkPath, SlavePath);
}

FakeInstrument::Line::~Line()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (wake[1] >= 0)
        (void)::write(wake[1], "x", 1);
    if (reader.joinable())
        reader.join();
    if (QFileInfo(LinkPath).symLinkTarget() == SlavePath)
        QFile::remove(LinkPath);
    for (const int fd : {Master, Slave, wake[0], wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void FakeInstrument::Line::OpenPair()
{
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0
        || ::ptsname_r(Master, name.data(), name.size()) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    // Non-blocking file status only; the line settings are the program's.
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
    SlavePath = QString::fromLocal8Bit(name.data());
    Slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Slave < 0 || ::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot open the pseudo-terminal's slave side");
}

void FakeInstrument::Line::ReadLoop()
{
    std::array<char, 4096> chunk{};
    while (!stopping) {
        std::array<pollfd, 2> waits{{{Master, POLLIN, 0}, {wake[0], POLLIN, 0}}};
        if (::poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR)
            return;
        if (stopping || (waits[1].revents & POLLIN) != 0)
            return;
        const ssize_t count = ::read(Master, chunk.data(), chunk.size());
        if (count <= 0)
            continue;
        for (const QByteArray& command : Record(QByteArray(chunk.data(), count))) {
            Rule answer;
            {
                std::lock_guard lock(mutex);
                answer = rule;
            }
            if (answer)
                Reply(answer(command));
        }
    }
}

// Appends the bytes and gives the commands they complete.
QList<QByteArray> FakeInstrument::Line::Record(const QByteArray& bytes)
{
    QList<QByteArray> completed;
    {
        std::lock_guard lock(mutex);
        received += bytes;
        if (!Terminator.isEmpty()) {
            pending += bytes;
            for (qsizetype end = pending.indexOf(Terminator); end >= 0;
                 end = pending.indexOf(Terminator)) {
                completed.append(pending.left(end));
                pending.remove(0, end + Terminator.size());
            }
            commands += completed;
        }
    }
    changed.notify_all();
    return completed;
}

void FakeInstrument::Line::Reply(const FakeReply& reply)
{
    if (reply.Bytes.isEmpty() || !Pause(reply.DelayMs))
        return;
    const qsizetype piece = reply.PieceSize > 0 ? reply.PieceSize : reply.Bytes.size();
    for (qsizetype start = 0; start < reply.Bytes.size(); start += piece) {
        if (start > 0 && !Pause(reply.PauseMs))
            return;
        Write(reply.Bytes.mid(start, piece));
    }
}

// False when the instrument is shutting down.
bool FakeInstrument::Line::Pause(int ms)
{
    std::unique_lock lock(mutex);
    return !changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping.load(); });
}

void FakeInstrument::Line::Write(const QByteArray& sent)
{
    std::lock_guard lock(writeMutex);
    QByteArray bytes = sent;
    if (const int limit = queueLimit; limit > 0) {
        const qsizetype room = std::max(0, limit - Queued());
        if (bytes.size() > room) {
            dropped += static_cast<int>(bytes.size() - room);
            bytes.truncate(room);
        }
    }
    qsizetype written = 0;
    while (written < bytes.size() && !stopping) {
        const ssize_t count = ::write(Master, bytes.constData() + written,
                                      static_cast<size_t>(bytes.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd room{Master, POLLOUT, 0};
        ::poll(&room, 1, 10);
    }
}

// ---- FakeInstrument ----

FakeInstrument::FakeInstrument(int portNumber, QByteArray terminator)
    : line(std::make_unique<Line>(portNumber, std::move(terminator)))
{
    line->Start();
}

FakeInstrument::~FakeInstrument() = default;

QString FakeInstrument::PortName() const
{
    return QStringLiteral("COM%1").arg(line->PortNumber);
}

QString FakeInstrument::SlavePath() const
{
    return line->SlavePath;
}

void FakeInstrument::SetRule(Rule rule)
{
    std::lock_guard lock(line->mutex);
    line->rule = std::move(rule);
}

void FakeInstrument::Send(const QByteArray& bytes)
{
    line->Write(bytes);
}

QByteArray FakeInstrument::Received() const
{
    std::lock_guard lock(line->mutex);
    return line->received;
}

QList<QByteArray> FakeInstrument::Commands() const
{
    std::lock_guard lock(line->mutex);
    return line->commands;
}

void FakeInstrument::ClearReceived()
{
    std::lock_guard lock(line->mutex);
    line->received.clear();
    line->pending.clear();
    line->commands.clear();
}

bool FakeInstrument::WaitForCommands(int count, int timeoutMs) const
{
    return line->WaitUntil(timeoutMs, [this, count] { return line->commands.size() >= count; });
}

bool FakeInstrument::WaitForBytes(int count, int timeoutMs) const
{
    return line->WaitUntil(timeoutMs, [this, count] { return line->received.size() >= count; });
}

int FakeInstrument::Queued() const
{
    return line->Queued();
}

bool FakeInstrument::WaitForQueued(int count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line->Queued() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void FakeInstrument::SetQueueLimit(int limit)
{
    line->queueLimit = limit;
}

int FakeInstrument::DroppedBytes() const
{
    return line->dropped;
}

termios FakeInstrument::SlaveTermios() const
{
    termios state{};
    ::tcgetattr(line->Slave, &state);
    return state;
}
