// The version reader on whole files: the built program, programs without a
// block, broken files, and blocks that stop part way.

#include "VersionTestFiles.h"

#include "platform/InstallFolder.h"
#include "platform/VersionInfo.h"
#include "terminal/VerInfo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include <sys/stat.h>

using namespace versiontest;

namespace {

const QString Program = QStringLiteral(COMMTERM_PROGRAM_FILE);

QStringList Strings(const VerInfo& info)
{
    return {info.ProductName, info.ProductVersion, info.OriginalFilename, info.FileDescription,
            info.FileVersion, info.CompanyName, info.LegalCopyright, info.LegalTrademarks,
            info.InternalName, info.PrivateBuild, info.SpecialBuild, info.Comments};
}

void ExpectCleared(const VerInfo& info)
{
    EXPECT_EQ(info.FixedFileInfo, platform::FixedFileInfo{});
    EXPECT_EQ(info.Language | info.CodePage, 0);
    EXPECT_EQ(Strings(info).join(""), "");
}

VerInfo Read(const QString& fileName)
{
    VerInfo info;
    info.SetFileName(fileName);
    return info;
}

VerInfo ReadProgramWith(const Bytes& block)
{
    const QTemporaryDir folder;
    return Read(WriteFile(folder, "program", ProgramImage(block)));
}

} // namespace

TEST(ProgramVersionBlock, TheBuiltProgramReadsBackItsVersionAndEveryKeyButPrivateBuild)
{
    const VerInfo info = Read(Program);
    EXPECT_EQ(info.GetFileVersion(), "1.7.7.1");
    EXPECT_EQ(info.FixedFileInfo.Signature, platform::FixedFileInfo::SignatureValue);
    EXPECT_EQ(info.FixedFileInfo.ProductVersionMS, 0x00010007u);
    EXPECT_EQ(info.FixedFileInfo.ProductVersionLS, 0x00070001u);
    EXPECT_EQ(info.Language, 0x0409);
    EXPECT_EQ(info.CodePage, 0x04E4);
    EXPECT_EQ(info.ProductName, "Communications Terminal");
    // A missing key reads empty and the keys after it still read; the last
    // query that failed was PrivateBuild's.
    EXPECT_TRUE(info.PrivateBuild.isEmpty());
    EXPECT_EQ(Strings(info).count(QString()), 1);
    EXPECT_EQ(info.LastError, platform::VersionError::ValueNotFound);
    // The running program reads its own file.
    EXPECT_EQ(VersionInfo.FileName, InstallFolder::ProgramFile());
    EXPECT_EQ(VersionInfo.GetFileVersion(), "1.7.7.1");
}

TEST(NoVersionBlock, FilesWithoutABlockLeaveEverythingClearedWithTheReason)
{
    const QTemporaryDir folder;
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xFF);
    const QString fifo = folder.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile program(Program);
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray whole = program.readAll();

    // A FIFO with no writer must not hang the reader.
    QList<std::pair<QString, std::uint32_t>> files = {
        {QStringLiteral(COMMTERM_PLAIN_PROGRAM_FILE), platform::VersionError::NoBlock},
        {folder.filePath("absent"), ENOENT},
        {WriteFile(folder, "empty", QByteArray()), platform::VersionError::NoBlock},
        {WriteFile(folder, "noise", noise), platform::VersionError::NoBlock},
        {folder.filePath(""), platform::VersionError::NoBlock},
        {fifo, platform::VersionError::NoBlock},
        {QStringLiteral("/dev/null"), platform::VersionError::NoBlock}};
    // The section header table sits at the end of the program, so any cut loses it.
    for (const qsizetype length : {qsizetype(4), qsizetype(63), qsizetype(64), whole.size() / 2, whole.size() - 1})
        files.append({WriteFile(folder, QString::number(length), whole.left(length)), platform::VersionError::NoBlock});
    for (const auto& [file, error] : files) {
        SCOPED_TRACE(file.toStdString());
        const VerInfo info = Read(file);
        ExpectCleared(info);
        EXPECT_EQ(info.LastError, error);
    }
}

TEST(PartialVersionBlock, ABlockThatStopsPartWayKeepsOnlyWhatWasReadWhole)
{
    const struct
    {
        const char* What;
        std::function<void(Bytes&)> Damage;
        const char* Version;
        std::uint16_t Language;
    } cases[] = {
        {"no translation", [](Bytes& b) { ASSERT_TRUE(RenameKey(b, "Translation", "Xranslation")); }, "1.7.7.1", 0},
        {"table under another translation", [](Bytes& b) { ASSERT_TRUE(RenameKey(b, "040904E4", "040904B0")); },
         "1.7.7.1", 0x0409},
        // A fixed block shorter than its 52 bytes counts as none rather than being read past.
        {"short fixed block", [](Bytes& b) { PutLittleEndian(b, 2, 40, 2); }, "0.0.0.0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        Bytes block = Block();
        c.Damage(block);
        const VerInfo info = ReadProgramWith(block);
        EXPECT_EQ(info.GetFileVersion(), c.Version);
        EXPECT_EQ(info.Language, c.Language);
        EXPECT_EQ(Strings(info).join(""), "");
        EXPECT_EQ(info.LastError, platform::VersionError::ValueNotFound);
    }
}

TEST(PartialVersionBlock, AnotherTranslationReadsItsOwnStringTable)
{
    platform::VersionBlockContent content = ProgramContent();
    content.Language = 0x0407;
    content.CodePage = 0x04B0;
    const VerInfo info = ReadProgramWith(Block(content));
    EXPECT_EQ(info.Language, 0x0407);
    EXPECT_EQ(info.CodePage, 0x04B0);
    EXPECT_EQ(info.ProductName, "Communications Terminal");
    EXPECT_EQ(info.Comments, "last key");
}

TEST(PartialVersionBlock, AReadStartsAfreshAndForgetsTheFileBefore)
{
    const QTemporaryDir folder;
    VerInfo info = Read(Program);
    info.SetFileName(folder.filePath("absent"));
    EXPECT_EQ(info.FileName, folder.filePath("absent"));
    ExpectCleared(info);
    info.SetFileName(Program);
    EXPECT_EQ(info.CompanyName, "Velmora");
    info.Clear();
    ExpectCleared(info);
    EXPECT_EQ(info.LastError, 0u);
}
