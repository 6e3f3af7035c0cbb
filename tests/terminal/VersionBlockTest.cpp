// The version block's layout and the ELF section that carries it: what the
// reader finds, and that no cut or damaged block or image makes it read past
// its bytes (the sanitizer run watches every case).

#include "VersionTestFiles.h"

#include "platform/ElfSection.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace versiontest;

namespace {

const char* const Paths[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo\\040904E4\\ProductName",
    "\\StringFileInfo\\040904E4\\Comments",
    "\\StringFileInfo\\040904E4\\PrivateBuild",
    "\\StringFileInfo",
};

std::optional<QByteArray> Query(const Bytes& block, const QString& path)
{
    QByteArray value;
    if (!platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), path, value))
        return std::nullopt;
    return value;
}

std::optional<platform::ElfSectionPlace> VersionSection(const Bytes& image)
{
    return platform::FindElfSection(image, platform::VersionSectionName, platform::MaxVersionBlockSize);
}

} // namespace

// What each value holds is read back through the program's own block; here,
// how a path finds it.
TEST(VersionBlockLayout, PathsMatchKeysWithoutCaseAndSkipEmptyComponents)
{
    const Bytes block = Block();
    EXPECT_EQ(Query(block, "\\stringfileinfo\\040904e4\\productname"), "Communications Terminal");
    EXPECT_EQ(Query(block, "StringFileInfo\\\\040904E4\\CompanyName\\"), "Velmora");
    EXPECT_FALSE(Query(block, "\\StringFileInfo\\040904E4\\Company"));
    EXPECT_FALSE(Query(block, "\\StringFileInfo\\040904E4\\CompanyNameX"));
}

TEST(VersionBlockLayout, StringsComeBackAsEightBitText)
{
    platform::VersionBlockContent content = ProgramContent();
    content.Strings = {{"LegalCopyright", "Copyright \xA9 Velmora"}};
    Bytes block = Block(content);
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\LegalCopyright"), "Copyright \xA9 Velmora");
    // A character beyond 8 bits cannot be shown in 8-bit text.
    *(FindText(block, "\xA9") + 1) = 0x21;
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\LegalCopyright"), "Copyright ? Velmora");
}

TEST(VersionBlockLayout, AnythingButAVersionBlockAtTheRootFindsNothing)
{
    Bytes block = Block();
    ASSERT_TRUE(RenameKey(block, "VS_VERSION_INFO", "VS_VERSION_INFX"));
    EXPECT_FALSE(Query(block, "\\"));
    QByteArray value;
    EXPECT_FALSE(platform::VerQueryValue(nullptr, 100, "\\", value));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

TEST(VersionBlockLayout, TooManyStringsForOneBlockAreRefused)
{
    platform::VersionBlockContent content = ProgramContent();
    content.Strings.assign(400, {"Comments", std::string(100, 'x')});
    EXPECT_FALSE(platform::BuildVersionBlock(content));
}

TEST(DamagedVersionBlock, CutOrDamagedBlocksFindOnlyWhatTheyStillHoldWhole)
{
    const Bytes block = Block();
    for (std::size_t length = 0; length <= block.size(); ++length) {
        // A copy of exactly the cut length, so a read past it is a real overrun.
        const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length));
        // The root's length covers the whole block, so any cut loses the root.
        EXPECT_EQ(Query(cut, "\\").has_value(), length == block.size()) << length;
        for (const char* path : Paths) {
            const auto part = Query(cut, path);
            if (part) {
                EXPECT_EQ(part, Query(block, path)) << path << " at " << length;
            }
        }
    }
    for (std::size_t at = 0; at < block.size(); ++at) {
        for (const std::uint8_t damage : {0x00, 0xFF, 0x01}) {
            Bytes damaged = block;
            damaged[at] = damage;
            for (const char* path : Paths)
                (void)Query(damaged, path);
        }
    }
}

TEST(DamagedVersionBlock, NodeLengthsThatDoNotFitTheirParentEndTheSearch)
{
    Bytes block = Block();
    // The first string of the table claims the whole block, and then nothing at all.
    const std::size_t nodeAt = static_cast<std::size_t>(FindText(block, "ProductName") - block.begin()) - 6;
    for (const std::uint64_t length : {0xFFFF, 0}) {
        PutLittleEndian(block, nodeAt, length, 2);
        EXPECT_FALSE(Query(block, "\\StringFileInfo\\040904E4\\Comments")) << length;
    }
    EXPECT_TRUE(Query(block, "\\VarFileInfo\\Translation"));
}

TEST(VersionSectionOfAProgram, TheBlockIsCopiedFromTheFileUpToTheSizeAskedFor)
{
    const Bytes block = Block();
    const QTemporaryDir folder;
    const QString file = WriteFile(folder, "program", ProgramImage(block));
    EXPECT_EQ(platform::GetFileVersionInfoSize(file), block.size());
    EXPECT_EQ(platform::GetLastError(), 0u);
    Bytes copy(block.size() + 8, 0xAA);
    ASSERT_TRUE(platform::GetFileVersionInfo(file, static_cast<std::uint32_t>(block.size()), copy.data()));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), copy.begin()));
    EXPECT_EQ(copy[block.size()], 0xAA);

    // A smaller buffer takes the prefix, in which the root no longer fits.
    copy.assign(100, 0);
    ASSERT_TRUE(platform::GetFileVersionInfo(file, 100, copy.data()));
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), block.begin()));
    EXPECT_FALSE(Query(copy, "\\"));
    EXPECT_FALSE(platform::GetFileVersionInfo(file, 0, copy.data()));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

TEST(VersionSectionOfAProgram, MalformedImagesHaveNoSection)
{
    const Bytes good = ProgramImage(Block());
    ASSERT_TRUE(VersionSection(good));
    // The section header table ends the image: the names' entry last, the block's before it.
    const std::size_t namesHeader = good.size() - 64;
    const std::size_t versionHeader = good.size() - 128;
    // What, where, the value written there and its width.
    const std::tuple<const char*, std::size_t, std::uint64_t, std::size_t> damages[] = {
        {"magic", 1, 'X', 1},
        {"32-bit class", 4, 1, 1},
        {"big-endian", 5, 2, 1},
        {"header entry size", 0x3A, 40, 2},
        {"no sections", 0x3C, 0, 2},
        {"names index past the table", 0x3E, 4, 2},
        {"table past the end", 0x28, good.size() - 64, 8},
        {"table offset overflows", 0x28, ~std::uint64_t{0} - 16, 8},
        {"names not a string table", namesHeader + 4, 1, 4},
        {"names past the end", namesHeader + 0x18, good.size(), 8},
        {"name offset past the names", versionHeader, 0xFFFFFFF0, 4},
        {"contents past the end", versionHeader + 0x20, good.size(), 8},
        {"contents offset overflows", versionHeader + 0x18, ~std::uint64_t{0} - 8, 8},
        {"no contents in the file", versionHeader + 4, 8, 4},
        {"too large to be a block", versionHeader + 0x20, platform::MaxVersionBlockSize + 1, 8},
    };
    for (const auto& [what, at, value, width] : damages) {
        Bytes image = good;
        PutLittleEndian(image, at, value, width);
        EXPECT_FALSE(VersionSection(image)) << what;
    }
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(VersionSection(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))))
            << "cut at " << length;
}

TEST(VersionSectionOfAProgram, OnlyTheExactNameMatches)
{
    EXPECT_FALSE(VersionSection(ElfImage({{".commterm.versions", Block()}})));
    EXPECT_FALSE(VersionSection(ElfImage({{".commterm.versio", Block()}})));
    EXPECT_TRUE(VersionSection(ElfImage({{".commterm.versio", Bytes(8)}, {".commterm.version", Block()}})));
}
