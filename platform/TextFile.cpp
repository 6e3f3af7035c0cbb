#include "platform/TextFile.h"

#include "platform/AnsiText.h"
#include "platform/Exceptions.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

EFileError CreateError(const QString& fileName, const QString& reason)
{
    return EFileError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
}

EFileError WriteError(const QString& fileName, int error)
{
    return EFileError(QStringLiteral("Stream write error on \"%1\". %2")
                          .arg(QDir::toNativeSeparators(fileName), qt_error_string(error)));
}

// Where the bytes of a save end up: the file itself, or the file a symbolic
// link names, so that the link stays a link. Only a writable regular file or
// a name that does not exist yet may be replaced.
struct SaveTarget
{
    QByteArray Path;
    mode_t Mode = 0666;
    bool Exists = false;
};

SaveTarget FindSaveTarget(const QString& fileName)
{
    SaveTarget target{QFile::encodeName(fileName)};
    char resolved[PATH_MAX];
    if (::realpath(target.Path.constData(), resolved) == nullptr)
        return target;
    target.Path = resolved;
    struct stat status{};
    if (::stat(resolved, &status) != 0)
        return target;
    if (!S_ISREG(status.st_mode))
        throw CreateError(fileName, QStringLiteral("Not a regular file"));
    if (::access(resolved, W_OK) != 0)
        throw CreateError(fileName, qt_error_string(errno));
    target.Exists = true;
    target.Mode = status.st_mode & 07777;
    return target;
}

// The new file of a save, beside the one it replaces; removed again unless
// it has taken that file's place.
class ReplacementFile
{
public:
    ReplacementFile(const QString& fileName, const SaveTarget& target)
        : FileName(fileName), Target(target)
    {
        for (int attempt = 0; Descriptor < 0 && attempt < 100; ++attempt) {
            Path = Target.Path + ".~" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
            // The process's file-creation mask applies to a new name, as to any file it creates.
            Descriptor = ::open(Path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Descriptor < 0 && errno != EEXIST)
                break;
        }
        if (Descriptor < 0)
            throw CreateError(FileName, qt_error_string(errno));
        if (Target.Exists)
            ::fchmod(Descriptor, Target.Mode);
    }

    ~ReplacementFile()
    {
        if (Descriptor >= 0)
            ::close(Descriptor);
        if (!Committed)
            ::unlink(Path.constData());
    }

    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void Write(const QByteArray& contents)
    {
        for (qsizetype done = 0; done < contents.size();) {
            const ssize_t written = ::write(Descriptor, contents.constData() + done,
                                            static_cast<std::size_t>(contents.size() - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                throw WriteError(FileName, written < 0 ? errno : ENOSPC);
            done += written;
        }
    }

    // A full disk may show only when the data reaches it.
    void Commit()
    {
        if (::fsync(Descriptor) != 0)
            throw WriteError(FileName, errno);
        const int closed = ::close(Descriptor);
        Descriptor = -1;
        if (closed != 0)
            throw WriteError(FileName, errno);
        if (::rename(Path.constData(), Target.Path.constData()) != 0)
            throw CreateError(FileName, qt_error_string(errno));
        Committed = true;
    }

private:
    QString FileName;
    SaveTarget Target;
    QByteArray Path;
    int Descriptor = -1;
    bool Committed = false;
};

} // namespace

QByteArray ReadFileBytes(const QString& fileName)
{
    const RegularFile file(fileName);
    std::optional<QByteArray> contents = file.ReadAll();
    if (!contents) {
        const QString reason = file.IsOpen() ? qt_error_string(EIO) : file.Reason();
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
    }
    return *std::move(contents);
}

void SaveBytesToFile(const QString& fileName, const QByteArray& contents)
{
    ReplacementFile replacement(fileName, FindSaveTarget(fileName));
    replacement.Write(contents);
    replacement.Commit();
}

void SaveLinesToFile(const QString& fileName, const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += TextToAnsi(line) + "\r\n";
    SaveBytesToFile(fileName, text);
}

} // namespace platform
