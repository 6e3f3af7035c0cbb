#include "support/FakeInstrument.h"

#include "platform/InstallFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <stdexcept>

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

} // namespace

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
    for (int number = 1; number <= HighestPortNumber; ++number) {
        const QFileInfo link(PortLinkPath(number));
        if (!link.isSymLink() && !link.exists())
            LinkPort(number, folder->path() + QStringLiteral("/no-such-device"));
    }
}

FakeInstrument::FakeInstrument(int portNumber, QByteArray terminator)
    : PortNumber(portNumber), Terminator(std::move(terminator))
{
    LinkPath = PortLinkPath(portNumber);
    QDir().mkpath(QFileInfo(LinkPath).path());
    Connect();
}

FakeInstrument::~FakeInstrument()
{
    Locked([this] { Stopping = true; });
    Changed.notify_all();
    Reader.join();
    if (QFileInfo(LinkPath).symLinkTarget() == SlaveName)
        QFile::remove(LinkPath);
    if (Master >= 0)
        ::close(Master);
    ::close(Slave);
}

// A new pseudo-terminal with the kernel's line settings, linked under the
// port's name, and the reader on its master side.
void FakeInstrument::Connect()
{
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0
        || ::ptsname_r(Master, name.data(), name.size()) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    // Non-blocking file status only; the line settings are the program's.
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
    SlaveName = QString::fromLocal8Bit(name.data());
    Slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Slave < 0)
        throw std::runtime_error("cannot open the pseudo-terminal's slave side");
    MakeLink(LinkPath, SlaveName);
    Reader = std::thread([this] { ReadLoop(); });
}

void FakeInstrument::ReadLoop()
{
    std::array<char, 4096> chunk{};
    while (!Stopping) {
        if (Pulled) {
            HangUp();
            return;
        }
        // Bounded, so that the end of the instrument is seen within 10 ms.
        pollfd input{Master, POLLIN, 0};
        if (::poll(&input, 1, 10) <= 0)
            continue;
        const ssize_t count = ::read(Master, chunk.data(), chunk.size());
        if (count <= 0)
            continue;
        for (const QByteArray& command : Record(QByteArray(chunk.data(), count))) {
            if (Pulled)
                break;
            const Rule answer = Locked([this] { return Answer; });
            if (answer)
                Reply(answer(command));
        }
    }
}

void FakeInstrument::Pull()
{
    if (QFileInfo(LinkPath).symLinkTarget() == SlaveName)
        QFile::remove(LinkPath);
    Pulled = true;
    if (std::this_thread::get_id() != Reader.get_id())
        WaitUntil(5000, [this] { return LineDown; });
}

// The old slave closes only once the new one is open, so that the new line
// is another node even where the kernel reuses pseudo-terminal numbers.
void FakeInstrument::Plug()
{
    Pull();
    Reader.join();
    const int pulledSlave = Slave;
    Locked([this] {
        Pending.clear();
        LineDown = false;
    });
    Pulled = false;
    Connect();
    ::close(pulledSlave);
}

// The master side closes on the reader's own thread, so that no poll or read
// of it is under way; closing it hangs the slave side up.
void FakeInstrument::HangUp()
{
    {
        std::lock_guard writing(WriteMutex);
        std::lock_guard lock(Mutex);
        ::close(Master);
        Master = -1;
        LineDown = true;
    }
    Changed.notify_all();
}

// Appends the bytes and gives the commands they complete.
QList<QByteArray> FakeInstrument::Record(const QByteArray& bytes)
{
    QList<QByteArray> completed;
    {
        std::lock_guard lock(Mutex);
        ReceivedBytes += bytes;
        if (!Terminator.isEmpty()) {
            Pending += bytes;
            for (qsizetype end; (end = Pending.indexOf(Terminator)) >= 0;) {
                completed.append(Pending.left(end));
                Pending.remove(0, end + Terminator.size());
            }
            Completed += completed;
        }
    }
    Changed.notify_all();
    return completed;
}

void FakeInstrument::Reply(const FakeReply& reply)
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
bool FakeInstrument::Pause(int ms)
{
    return !WaitUntil(ms, [this] { return Stopping.load(); });
}

void FakeInstrument::Write(const QByteArray& sent)
{
    std::lock_guard lock(WriteMutex);
    if (Master < 0)
        return;
    QByteArray bytes = sent;
    if (const int limit = QueueLimit; limit > 0) {
        const int room = std::max(0, limit - Queued());
        if (bytes.size() > room) {
            Dropped += static_cast<int>(bytes.size()) - room;
            bytes.truncate(room);
        }
    }
    for (qsizetype written = 0; written < bytes.size() && !Stopping;) {
        const ssize_t count = ::write(Master, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count > 0) {
            written += count;
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd room{Master, POLLOUT, 0};
            ::poll(&room, 1, 10);
        }
    }
}

bool FakeInstrument::WaitUntil(int timeoutMs, const std::function<bool()>& done) const
{
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

int FakeInstrument::Queued() const
{
    int waiting = 0;
    ::ioctl(Slave, FIONREAD, &waiting);
    return waiting;
}

bool FakeInstrument::WaitForQueued(int count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Queued() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

termios FakeInstrument::SlaveTermios() const
{
    termios state{};
    ::tcgetattr(Slave, &state);
    return state;
}
