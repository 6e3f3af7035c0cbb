#include "platform/Exceptions.h"
#include "platform/TextFile.h"

#include "support/FullFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The error's text up to the file name, or the bytes read.
template <typename Call>
QString Outcome(Call call)
{
    try {
        call();
    } catch (const EFileError& e) {
        return e.Message.section(QLatin1Char('"'), 0, 0);
    }
    return QStringLiteral("done");
}

void Put(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(contents), contents.size());
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList Entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

void MakeFifo(const QString& path)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

} // namespace

// A save gives the new bytes or leaves the old ones whole, and never leaves a
// file of its own behind.
TEST(SaveBytesToFile, ReplacesOnlyARegularFileAndOnlyWithTheWholeContents)
{
    const bool root = ::geteuid() == 0;
    const struct
    {
        const char* What;
        std::function<void(const QString& folder, const QString& file)> Prepare;
        const char* Outcome;
        QStringList Entries;
        QByteArray Left;   // what "file" then holds
    } cases[] = {
        {"new file", [](auto&, auto&) {}, "done", {"file"}, "new"},
        {"longer old file", [](auto&, auto& f) { Put(f, QByteArray(5000, 'o')); }, "done", {"file"}, "new"},
        {"FIFO", [](auto&, auto& f) { MakeFifo(f); }, "Cannot create file ", {"file"}, "<none>"},
        {"folder", [](auto&, auto& f) { QDir().mkdir(f); }, "Cannot create file ", {"file"}, "<none>"},
        {"read-only file", [](auto&, auto& f) { Put(f, "old"); QFile::setPermissions(f, QFile::ReadOwner); },
         root ? "done" : "Cannot create file ", {"file"}, root ? "new" : "old"},
        {"full disk", [](auto&, auto& f) { Put(f, "old"); }, "Stream write error on ", {"file"}, "old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const QTemporaryDir top;
        const QString folder = top.filePath("disk");
        ASSERT_TRUE(QDir().mkdir(folder));
        FullFileSystem disk(folder);
        const QString file = folder + "/file";
        c.Prepare(folder, file);
        if (QString(c.What) == "full disk")
            disk.Fill();
        EXPECT_EQ(Outcome([&] { platform::SaveBytesToFile(file, "new"); }), c.Outcome);
        disk.Free();
        EXPECT_EQ(Entries(folder), c.Entries);
        EXPECT_EQ(Contents(file), c.Left);
    }
    EXPECT_EQ(Outcome([] { platform::SaveBytesToFile("/nonexistent-folder/file", "new"); }), "Cannot create file ");
}

// Through a link, the file it names is replaced.
TEST(SaveBytesToFile, AReplacedFileKeepsItsPermissionsAndItsLinks)
{
    const QTemporaryDir folder;
    const QString file = folder.filePath("file");
    Put(file, "old");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    ASSERT_TRUE(QFile::link(file, folder.filePath("link")));
    platform::SaveBytesToFile(folder.filePath("link"), "new");
    EXPECT_TRUE(QFileInfo(folder.filePath("link")).isSymLink());
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(Entries(folder.path()), (QStringList{"file", "link"}));
    EXPECT_EQ(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                            | QFile::ReadOther);
}

// Anything but a regular file is refused at once, so a wrong name cannot hang
// the caller or read for ever.
TEST(ReadFileBytes, ReadsOnlyRegularFiles)
{
    const QTemporaryDir folder;
    Put(folder.filePath("file"), "bytes\r\n");
    MakeFifo(folder.filePath("fifo"));
    const std::pair<QString, const char*> cases[] = {
        {folder.filePath("file"), "done"},
        {folder.filePath("absent"), "Cannot open file "},
        {folder.filePath("fifo"), "Cannot open file "},
        {folder.path(), "Cannot open file "},
        {"/dev/zero", "Cannot open file "},
    };
    for (const auto& [name, outcome] : cases)
        EXPECT_EQ(Outcome([&] { platform::ReadFileBytes(name); }), outcome) << name.toStdString();
    EXPECT_EQ(platform::ReadFileBytes(folder.filePath("file")), "bytes\r\n");
}
