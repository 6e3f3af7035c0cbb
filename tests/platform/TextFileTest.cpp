#include "platform/Exceptions.h"
#include "platform/TextFile.h"

#include "support/Files.h"
#include "support/FullFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "done", or the file error's text up to the file name.
QString Outcome(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EFileError& e) {
        return e.Message.section(QLatin1Char('"'), 0, 0);
    }
    return QStringLiteral("done");
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool MakeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

// The most memory the process has held at once so far.
long PeakMemoryKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// A save gives the new bytes or leaves the old ones whole, and never leaves a
// file of its own behind.
TEST(SaveBytesToFile, ReplacesOnlyARegularFileAndOnlyWithTheWholeContents)
{
    const bool root = ::geteuid() == 0;
    const std::tuple<const char*, std::function<bool(const QString&)>, const char*, QByteArray> cases[] = {
        {"new file", [](auto&) { return true; }, "done", "new"},
        {"longer old file", [](auto& f) { return WriteWholeFile(f, QByteArray(5000, 'o')); }, "done", "new"},
        {"FIFO", MakeFifo, "Cannot create file ", "<none>"},
        {"folder", [](auto& f) { return QDir().mkdir(f); }, "Cannot create file ", "<none>"},
        {"read-only file",
         [](auto& f) { return WriteWholeFile(f, "old") && QFile::setPermissions(f, QFile::ReadOwner); },
         root ? "done" : "Cannot create file ", root ? "new" : "old"},
        {"full disk", [](auto& f) { return WriteWholeFile(f, "old"); }, "Stream write error on ", "old"},
    };
    for (const auto& [what, prepare, outcome, left] : cases) {
        const QTemporaryDir top;
        const QString folder = top.filePath("disk"), file = folder + "/file";
        ASSERT_TRUE(QDir().mkdir(folder));
        FullFileSystem disk(folder);
        ASSERT_TRUE(prepare(file)) << what;
        if (QString(what) == "full disk")
            disk.Fill();
        EXPECT_EQ(Outcome([&] { platform::SaveBytesToFile(file, "new"); }), outcome) << what;
        disk.Free();
        // System: a FIFO is listed too.
        QStringList entries =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        entries.removeAll(".filler");
        EXPECT_EQ(std::tuple(entries, Contents(file)), std::tuple(QStringList{"file"}, left)) << what;
    }
    EXPECT_EQ(Outcome([] { platform::SaveBytesToFile("/nonexistent-folder/file", "new"); }), "Cannot create file ");
}

// Through a link, the file it names is replaced.
TEST(SaveBytesToFile, AReplacedFileKeepsItsPermissionsAndItsLinks)
{
    const QTemporaryDir folder;
    const QString file = folder.filePath("file");
    ASSERT_TRUE(WriteWholeFile(file, "old") && QFile::link(file, folder.filePath("link")));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                             | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(file, permissions));
    platform::SaveBytesToFile(folder.filePath("link"), "new");
    EXPECT_EQ(std::tuple(QFileInfo(folder.filePath("link")).isSymLink(), Contents(file), QFile::permissions(file),
                         QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)),
              std::tuple(true, QByteArray("new"), permissions, QStringList{"file", "link"}));
}

// Anything but a regular file is refused at once, so a wrong name can neither
// hang the caller nor read for ever.
TEST(ReadFileBytes, ReadsOnlyRegularFiles)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(WriteWholeFile(folder.filePath("file"), "bytes\r\n") && MakeFifo(folder.filePath("fifo")));
    for (const QString& name : {folder.filePath("absent"), folder.filePath("fifo"), folder.path(), 
                                QString("/dev/zero")}) {
        EXPECT_EQ(Outcome([&] { platform::ReadFileBytes(name); }), "Cannot open file ") << name.toStdString();
        EXPECT_EQ(Outcome([&] { platform::ReadLeadingLines(name, 5); }), "Cannot open file ") << name.toStdString();
    }
    EXPECT_EQ(platform::ReadFileBytes(folder.filePath("file")), "bytes\r\n");
    EXPECT_EQ(platform::ReadLeadingLines(folder.filePath("file"), 5), "bytes\r\n");
}

// The lines asked for come with their own line ends; a line longer than the
// bound, its line end not counted, ends the lines before it, wherever the
// file's reads of 4096 bytes happen to divide it.
TEST(ReadLeadingLines, GivesTheLinesAskedForUpToOneThatIsTooLong)
{
    const QByteArray chunk(4096, 'c');
    const struct { const char* What; QByteArray Contents; int Lines; qsizetype Longest; QByteArray Given; } cases[] = {
        {"more lines than asked", "a\r\nb\nc\r\nd\n", 3, 8, "a\r\nb\nc\r\n"},
        {"as many as asked", "a\nb\n", 2, 8, "a\nb\n"},
        {"fewer, the last without its end", "a\r\n\r\nb", 5, 8, "a\r\n\r\nb"},
        {"none asked", "a\n", 0, 8, ""},
        {"an empty file", "", 3, 8, ""},
        {"a line as long as the bound, with CR LF", "12345678\r\nx\n", 2, 8, "12345678\r\nx\n"},
        {"a line one byte too long", "a\n123456789\nb\n", 3, 8, "a\n"},
        {"a last line as long as the bound", "a\n12345678", 3, 8, "a\n12345678"},
        {"a last line one byte too long", "a\n123456789", 3, 8, "a\n"},
        {"a CR alone ends no line", "a\rb\nc\n", 1, 8, "a\rb\n"},
        {"zero bytes are text", QByteArray("\0\n\0", 3), 2, 8, QByteArray("\0\n\0", 3)},
        {"a line across reads", "a\n" + chunk + "\r\nb\n", 2, 4096, "a\n" + chunk + "\r\n"},
        {"a line across reads, too long", "a\n" + chunk + "\r\nb\n", 2, 4095, "a\n"},
        {"the last line asked ends a read", chunk.left(4094) + "\r\nb\n", 1, 4096, chunk.left(4094) + "\r\n"},
        {"a CR ends a read, its LF begins the next", chunk.left(4095) + "\r\nb\r\nc\n", 2, 4095,
         chunk.left(4095) + "\r\nb\r\n"},
        {"a CR ends a read, its LF begins the next, the last line asked", chunk.left(4095) + "\r\nb\n", 1, 4095,
         chunk.left(4095) + "\r\n"},
        {"a CR alone ends a read", chunk.left(4095) + "\rb\nc\n", 1, 4097, chunk.left(4095) + "\rb\n"},
    };
    const QTemporaryDir folder;
    for (const auto& c : cases) {
        const QString file = folder.filePath("lines");
        ASSERT_TRUE(WriteWholeFile(file, c.Contents)) << c.What;
        EXPECT_EQ(platform::ReadLeadingLines(file, c.Lines, c.Longest), c.Given) << c.What;
    }
}

// A file of a gigabyte costs no more memory than the lines asked for,
// whatever it holds after them: its reading stops where the lines do.
TEST(ReadLeadingLines, AHugeFileIsReadNoFurtherThanItsLines)
{
    constexpr off_t Gigabyte = off_t{1} << 30;
    const std::tuple<const char*, QByteArray, QByteArray> cases[] = {
        {"the lines, then zero bytes", "a\r\nb\r\nc\r\n", "a\r\nb\r\n"},
        {"one line of zero bytes", "", ""},
        {"fewer lines, then zero bytes", "a\n", "a\n"},
    };
    const QTemporaryDir folder;
    for (const auto& [what, head, given] : cases) {
        const QString file = folder.filePath("huge");
        ASSERT_TRUE(WriteWholeFile(file, head) && ::truncate(QFile::encodeName(file).constData(), Gigabyte) == 0);
        const long before = PeakMemoryKilobytes();
        EXPECT_EQ(platform::ReadLeadingLines(file, 2), given) << what;
        EXPECT_LT(PeakMemoryKilobytes() - before, 16 * 1024) << what;
    }
}
