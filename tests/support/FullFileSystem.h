#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// A folder whose disk runs full on demand. Where the test may mount one, the
// folder becomes a small tmpfs (empty, hiding what it held) that Fill() fills
// to the last block, so writes fail with ENOSPC; elsewhere Fill() limits the
// size of every file this process writes to 0, so writes fail with EFBIG.
// Free() gives the space back. Mounted() tells which of the two is in use.
class FullFileSystem
{
public:
    explicit FullFileSystem(const QString& folder)
        : Folder(QFile::encodeName(folder))
        , IsMounted(MountsArePrivate()
                    && ::mount("tmpfs", Folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m") == 0)
    {
    }
    ~FullFileSystem()
    {
        Free();
        if (IsMounted)
            ::umount2(Folder.constData(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    bool Mounted() const { return IsMounted; }

    void Fill()
    {
        if (IsMounted) {
            const int filler = ::open(FillerPath().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            const QByteArray block(4096, 'f');
            while (filler >= 0 && ::write(filler, block.constData(), block.size()) > 0) {}
            ::close(filler);
        } else if (!Limited) {
            PreviousSignal = std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &PreviousLimit);
            const rlimit nothing{0, PreviousLimit.rlim_max};
            Limited = ::setrlimit(RLIMIT_FSIZE, &nothing) == 0;
        }
    }

    void Free()
    {
        if (IsMounted)
            ::unlink(FillerPath().constData());
        if (Limited) {
            ::setrlimit(RLIMIT_FSIZE, &PreviousLimit);
            std::signal(SIGXFSZ, PreviousSignal);
            Limited = false;
        }
    }

private:
    // The test's mounts stay out of sight of the machine and end with the
    // test, even when it is killed. The window thread, which does every file
    // operation of a test, moves to a mount namespace of its own.
    static bool MountsArePrivate()
    {
        static const bool isPrivate = ::unshare(CLONE_NEWNS) == 0
                                      && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return isPrivate;
    }

    QByteArray FillerPath() const { return Folder + "/.filler"; }

    QByteArray Folder;
    bool IsMounted;
    bool Limited = false;
    rlimit PreviousLimit{};
    void (*PreviousSignal)(int) = SIG_DFL;
};
