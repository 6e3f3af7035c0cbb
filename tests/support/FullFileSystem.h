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
// folder becomes a small empty tmpfs that Fill() fills to the last block
// (writes fail with ENOSPC); elsewhere Fill() lets no file of this process
// grow (writes fail with EFBIG). Free() gives the space back.
class FullFileSystem
{
public:
    explicit FullFileSystem(const QString& folder)
        : Folder(QFile::encodeName(folder))
        , Mounted(MountsArePrivate()
                  && ::mount("tmpfs", Folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m") == 0)
    {
    }
    ~FullFileSystem()
    {
        Free();
        if (Mounted)
            ::umount2(Folder.constData(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    void Fill()
    {
        if (Mounted) {
            const int filler = ::open(Filler().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
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
        if (Mounted)
            ::unlink(Filler().constData());
        if (Limited) {
            ::setrlimit(RLIMIT_FSIZE, &PreviousLimit);
            std::signal(SIGXFSZ, PreviousSignal);
            Limited = false;
        }
    }

private:
    // The test's mounts stay out of the machine's sight and end with the test,
    // even when it is killed: the window thread, which does every file
    // operation of a test, moves to a mount namespace of its own.
    static bool MountsArePrivate()
    {
        static const bool isPrivate = ::unshare(CLONE_NEWNS) == 0
                                      && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return isPrivate;
    }

    QByteArray Filler() const { return Folder + "/.filler"; }

    QByteArray Folder;
    bool Mounted;
    bool Limited = false;
    rlimit PreviousLimit{};
    void (*PreviousSignal)(int) = SIG_DFL;
};
