#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <stdexcept>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// A file that this thread cannot read, as a file of another user without read
// permission is, while the object lives: its mode is 000, and a process run
// as root leaves out of its effective set the capabilities that would read it
// anyway. The folder stays writable. Only the constructing thread is
// affected; destroy the object on that thread.
class UnreadableFile
{
public:
    explicit UnreadableFile(QString path) : Path(std::move(path))
    {
        if (!QFile::setPermissions(Path, QFileDevice::Permissions()))
            throw std::runtime_error("cannot take the permissions of " + Path.toStdString());
        if (::syscall(SYS_capget, &Header, Saved) != 0)
            throw std::runtime_error("cannot read the capabilities");
        __user_cap_data_struct reduced[2] = {Saved[0], Saved[1]};
        reduced[0].effective &= ~(Bit(CAP_DAC_OVERRIDE) | Bit(CAP_DAC_READ_SEARCH));
        if (::syscall(SYS_capset, &Header, reduced) != 0)
            throw std::runtime_error("cannot drop the capabilities");
    }
    ~UnreadableFile()
    {
        ::syscall(SYS_capset, &Header, Saved);
        QFile::setPermissions(Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    static std::uint32_t Bit(int capability) { return std::uint32_t{1} << capability; }

    QString Path;
    __user_cap_header_struct Header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct Saved[2]{};
};
