#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace platform {

// A regular file opened for reading only. A name that stands for anything
// else (a FIFO, a device, a folder) is refused before it is opened, and the
// open itself cannot block, so a wrong name never hangs the window thread
// and never touches a device.
class RegularFile
{
public:
    explicit RegularFile(const QString& name);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return Descriptor >= 0; }
    // The errno of a name that could not be opened; 0 when the name exists
    // but is no regular file.
    int OpenError() const { return OpenErrno; }
    // Why the file is not open, as the user reads it.
    QString Reason() const;

    std::uint64_t Size() const { return FileSize; }
    // out.size() bytes at offset; false when they are not all there.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    std::optional<QByteArray> ReadAll() const;

private:
    int Descriptor = -1;
    int OpenErrno = 0;
    std::uint64_t FileSize = 0;
};

} // namespace platform
