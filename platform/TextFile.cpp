#include "platform/TextFile.h"

#include "platform/AnsiText.h"
#include "platform/Exceptions.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <span>

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

EFileError OpenError(const QString& fileName, const RegularFile& file)
{
    const QString reason = file.IsOpen() ? qt_error_string(EIO) : file.Reason();
    return EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
}

// Gathers a file's first lines from the chunks read one after another, and
// says when no more are wanted.
class LeadingLines
{
public:
    LeadingLines(int lineCount, qsizetype longestLine) : LineCount(lineCount), Longest(longestLine) {}

    // False once the lines are complete or a line has run too long.
    bool Take(const char* bytes, qsizetype size)
    {
        Head.append(bytes, size);
        while (Lines < LineCount) {
            const qsizetype end = Head.indexOf('\n', LineStart);
            if (end < 0)
                break;
            if (TooLong(end))
                return Stop();
            ++Lines;
            LineStart = end + 1;
        }
        // A CR may still come before the line's LF; beyond that it is too long already.
        if (Lines == LineCount || Head.size() - LineStart > Longest + 1)
            return Stop();
        return true;
    }

    // The lines, the file's last one included when it ends without a line end.
    QByteArray Finish()
    {
        if (TooLong(Head.size()))
            Stop();
        return Head;
    }

private:
    bool TooLong(qsizetype end) const
    {
        const qsizetype length = end - LineStart - (end > LineStart && Head.at(end - 1) == '\r' ? 1 : 0);
        return length > Longest;
    }
    bool Stop()
    {
        Head.truncate(LineStart);
        return false;
    }

    const int LineCount;
    const qsizetype Longest;
    QByteArray Head;
    qsizetype LineStart = 0;
    int Lines = 0;
};

} // namespace

QByteArray ReadFileBytes(const QString& fileName)
{
    const RegularFile file(fileName);
    std::optional<QByteArray> contents = file.ReadAll();
    if (!contents)
        throw OpenError(fileName, file);
    return *std::move(contents);
}

QByteArray ReadLeadingLines(const QString& fileName, int lineCount, qsizetype longestLine)
{
    const RegularFile file(fileName);
    if (!file.IsOpen())
        throw OpenError(fileName, file);
    constexpr std::uint64_t ChunkSize = 4096;
    std::array<std::uint8_t, ChunkSize> chunk;
    LeadingLines lines(lineCount, longestLine);
    for (std::uint64_t offset = 0; offset < file.Size(); offset += ChunkSize) {
        const auto size = static_cast<std::size_t>(std::min(ChunkSize, file.Size() - offset));
        if (!file.ReadAt(offset, std::span(chunk.data(), size)))
            throw OpenError(fileName, file);
        if (!lines.Take(reinterpret_cast<const char*>(chunk.data()), static_cast<qsizetype>(size)))
            break;
    }
    return lines.Finish();
}

void SaveBytesToFile(const QString& fileName, const QByteArray& contents)
{
    ReplacementFile replacement(fileName, FindSaveTarget(fileName));
    replacement.Write(contents);
    replacement.Commit();
}

QByteArray LinesToBytes(const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += TextToAnsi(line) + "\r\n";
    return text;
}

void SaveLinesToFile(const QString& fileName, const QStringList& lines)
{
    SaveBytesToFile(fileName, LinesToBytes(lines));
}

} // namespace platform
