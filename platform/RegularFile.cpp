#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsRegularFile(const struct stat& status)
{
    return S_ISREG(status.st_mode);
}

} // namespace

RegularFile::RegularFile(const QString& name)
{
    const QByteArray path = QFile::encodeName(name);
    struct stat status{};
    if (::stat(path.constData(), &status) != 0) {
        OpenErrno = errno;
        return;
    }
    if (!IsRegularFile(status))
        return;
    Descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (Descriptor < 0) {
        OpenErrno = errno;
        return;
    }
    // The name may have been replaced between the look and the open.
    if (::fstat(Descriptor, &status) != 0 || !IsRegularFile(status)) {
        ::close(Descriptor);
        Descriptor = -1;
        return;
    }
    FileSize = static_cast<std::uint64_t>(status.st_size);
}

RegularFile::~RegularFile()
{
    if (Descriptor >= 0)
        ::close(Descriptor);
}

QString RegularFile::Reason() const
{
    return OpenErrno != 0 ? qt_error_string(OpenErrno) : QStringLiteral("Not a regular file");
}

bool RegularFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(Descriptor, out.data() + done, out.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<QByteArray> RegularFile::ReadAll() const
{
    if (!IsOpen() || FileSize > static_cast<std::uint64_t>(std::numeric_limits<qsizetype>::max()))
        return std::nullopt;
    QByteArray contents(static_cast<qsizetype>(FileSize), Qt::Uninitialized);
    if (!ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(contents.data()), contents.size())))
        return std::nullopt;
    return contents;
}

} // namespace platform
