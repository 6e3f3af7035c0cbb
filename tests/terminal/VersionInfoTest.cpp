// The version reader on whole files: the built program, programs without a
// block, broken files, and blocks that stop part way.

#include "VersionTestFiles.h"

#include "platform/InstallFolder.h"
#include "platform/VersionInfo.h"
#include "terminal/VerInfo.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

using namespace versiontest;

namespace {

QStringList Strings(const VerInfo& info)
{
    return {info.ProductName, info.ProductVersion, info.OriginalFilename, info.FileDescription,
            info.FileVersion, info.CompanyName, info.LegalCopyright, info.LegalTrademarks,
            info.InternalName, info.PrivateBuild, info.SpecialBuild, info.Comments};
}

void ExpectNoStrings(const VerInfo& info)
{
    for (const QString& text : Strings(info))
        EXPECT_TRUE(text.isEmpty()) << text.toStdString();
}

void ExpectCleared(const VerInfo& info)
{
    EXPECT_EQ(info.GetFileVersion(), "0.0.0.0");
    EXPECT_EQ(info.FixedFileInfo, platform::FixedFileInfo{});
    EXPECT_EQ(info.Language, 0);
    EXPECT_EQ(info.CodePage, 0);
    ExpectNoStrings(info);
}

VerInfo Read(const QString& fileName)
{
    VerInfo info;
    info.SetFileName(fileName);
    return info;
}

// Reads a program file that carries the block.
VerInfo ReadProgramWith(const Bytes& block)
{
    FileFolder folder;
    return Read(folder.Write("program", ProgramImage(block)));
}

} // namespace

TEST(ProgramVersionBlock, TheBuiltProgramReadsBackItsVersionAndStrings)
{
    const VerInfo info = Read(QStringLiteral(COMMTERM_PROGRAM_FILE));
    EXPECT_EQ(info.GetFileVersion(), "1.7.7.1");
    EXPECT_EQ(info.FixedFileInfo.Signature, platform::FixedFileInfo::SignatureValue);
    EXPECT_EQ(info.FixedFileInfo.ProductVersionMS, 0x00010007u);
    EXPECT_EQ(info.FixedFileInfo.ProductVersionLS, 0x00070001u);
    EXPECT_EQ(info.Language, 0x0409);
    EXPECT_EQ(info.CodePage, 0x04E4);
    EXPECT_EQ(info.FileVersion, "1.7.7.1");
    EXPECT_EQ(info.ProductVersion, "1.7.7.1");
    EXPECT_EQ(info.ProductName, "Communications Terminal");
}

TEST(ProgramVersionBlock, AMissingKeyReadsEmptyAndTheKeysAfterItStillRead)
{
    const VerInfo info = Read(QStringLiteral(COMMTERM_PROGRAM_FILE));
    const QStringList strings = Strings(info);
    for (int i = 0; i < strings.size(); ++i) {
        const bool privateBuild = i == 9;
        EXPECT_EQ(strings[i].isEmpty(), privateBuild) << "key " << i;
    }
    // The last query that failed was PrivateBuild's.
    EXPECT_EQ(info.LastError, platform::VersionError::ValueNotFound);
}

TEST(ProgramVersionBlock, TheRunningProgramReadsItsOwnFile)
{
    EXPECT_EQ(VersionInfo.FileName, InstallFolder::ProgramFile());
    EXPECT_EQ(VersionInfo.GetFileVersion(), "1.7.7.1");
}

TEST(NoVersionBlock, AProgramWithoutTheSectionLeavesEverythingCleared)
{
    const VerInfo info = Read(QStringLiteral(COMMTERM_PLAIN_PROGRAM_FILE));
    ExpectCleared(info);
    EXPECT_EQ(info.LastError, platform::VersionError::NoBlock);
}

TEST(NoVersionBlock, AMissingFileGivesTheOpenError)
{
    FileFolder folder;
    const VerInfo info = Read(folder.Path("absent"));
    ExpectCleared(info);
    EXPECT_EQ(info.LastError, std::uint32_t(ENOENT));
}

TEST(NoVersionBlock, FilesThatAreNotProgramsHaveNoBlock)
{
    FileFolder folder;
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xFF);
    const QString fifo = folder.Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A FIFO with no writer must not hang the reader.
    for (const QString& file : {folder.Write("empty", QByteArray()), folder.Write("noise", noise),
                                folder.Path(""), fifo, QStringLiteral("/dev/null")}) {
        const VerInfo info = Read(file);
        ExpectCleared(info);
        EXPECT_EQ(info.LastError, platform::VersionError::NoBlock) << file.toStdString();
    }
}

TEST(NoVersionBlock, TruncatedCopiesOfTheProgramNeverFindABlock)
{
    QFile program(QStringLiteral(COMMTERM_PROGRAM_FILE));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray whole = program.readAll();
    FileFolder folder;
    // The section header table sits at the end of the file, so any cut loses it.
    for (const qsizetype length : {qsizetype(0), qsizetype(4), qsizetype(63), qsizetype(64),
                                   whole.size() / 2, whole.size() - 64, whole.size() - 1}) {
        const VerInfo info = Read(folder.Write("cut", whole.left(length)));
        ExpectCleared(info);
        EXPECT_EQ(info.LastError, platform::VersionError::NoBlock) << length;
    }
}

TEST(PartialVersionBlock, NoTranslationKeepsTheFixedBlockAndLeavesTheStringsEmpty)
{
    Bytes block = Block();
    ASSERT_TRUE(RenameKey(block, "Translation", "Xranslation"));
    const VerInfo info = ReadProgramWith(block);
    EXPECT_EQ(info.GetFileVersion(), "1.7.7.1");
    EXPECT_EQ(info.Language, 0);
    EXPECT_EQ(info.CodePage, 0);
    ExpectNoStrings(info);
    EXPECT_EQ(info.LastError, platform::VersionError::ValueNotFound);
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

TEST(PartialVersionBlock, ATableUnderAnotherTranslationLeavesOnlyTheStringsEmpty)
{
    Bytes block = Block();
    ASSERT_TRUE(RenameKey(block, "040904E4", "040904B0"));
    const VerInfo info = ReadProgramWith(block);
    EXPECT_EQ(info.GetFileVersion(), "1.7.7.1");
    EXPECT_EQ(info.Language, 0x0409);
    ExpectNoStrings(info);
}

TEST(PartialVersionBlock, AShortFixedBlockCountsAsNoneRatherThanBeingReadPast)
{
    Bytes block = Block();
    PutLittleEndian(block, 2, 40, 2);   // the root's value length
    const VerInfo info = ReadProgramWith(block);
    ExpectCleared(info);
    EXPECT_EQ(info.LastError, platform::VersionError::ValueNotFound);
}

TEST(PartialVersionBlock, AReadStartsAfreshAndForgetsTheFileBefore)
{
    FileFolder folder;
    VerInfo info = Read(QStringLiteral(COMMTERM_PROGRAM_FILE));
    info.SetFileName(folder.Path("absent"));
    EXPECT_EQ(info.FileName, folder.Path("absent"));
    ExpectCleared(info);
    info.SetFileName(QStringLiteral(COMMTERM_PROGRAM_FILE));
    EXPECT_EQ(info.CompanyName, "Velmora");
    info.Clear();
    ExpectCleared(info);
    EXPECT_EQ(info.LastError, 0u);
}
