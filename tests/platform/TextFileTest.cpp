#include "platform/Exceptions.h"
#include "platform/TextFile.h"

#include "support/Files.h"
#include "support/FullFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>

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
                                QString("/dev/zero")})
        EXPECT_EQ(Outcome([&] { platform::ReadFileBytes(name); }), "Cannot open file ") << name.toStdString();
    EXPECT_EQ(platform::ReadFileBytes(folder.filePath("file")), "bytes\r\n");
}
