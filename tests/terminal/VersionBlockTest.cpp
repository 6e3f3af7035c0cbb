// The version block's layout and the ELF section that carries it: what the
// reader finds, and that no cut or damaged block or image makes it read past
// its bytes (the sanitizer run watches every case).

#include "VersionTestFiles.h"

#include "platform/ElfSection.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <optional>

using namespace versiontest;

namespace {

const char* const Paths[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo\\040904E4\\ProductName",
    "\\StringFileInfo\\040904E4\\FileVersion",
    "\\StringFileInfo\\040904E4\\CompanyName",
    "\\StringFileInfo\\040904E4\\Comments",
    "\\StringFileInfo\\040904E4\\PrivateBuild",
    "\\StringFileInfo",
    "\\VarFileInfo",
};

std::optional<QByteArray> Query(const Bytes& block, const QString& path, std::size_t size)
{
    QByteArray value;
    if (!platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(size), path, value))
        return std::nullopt;
    return value;
}

std::optional<QByteArray> Query(const Bytes& block, const QString& path)
{
    return Query(block, path, block.size());
}

std::optional<platform::ElfSectionPlace> VersionSection(const Bytes& image)
{
    return platform::FindElfSection(image, platform::VersionSectionName, platform::MaxVersionBlockSize);
}

} // namespace

TEST(VersionBlockLayout, ValuesComeBackByPath)
{
    const Bytes block = Block();
    EXPECT_EQ(block.size() % 4, 0u);
    const auto fixed = Query(block, "\\");
    ASSERT_TRUE(fixed);
    ASSERT_EQ(fixed->size(), 52);
    const auto info = platform::FixedFileInfo::FromBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(fixed->constData()), 52));
    EXPECT_EQ(info.Signature, 0xFEEF04BDu);
    EXPECT_EQ(info.FileVersionMS, 0x00010007u);
    EXPECT_EQ(info.FileVersionLS, 0x00070001u);
    EXPECT_EQ(Query(block, "\\VarFileInfo\\Translation"), QByteArray("\x09\x04\xE4\x04", 4));
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\FileVersion"), "1.7.7.1");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\Comments"), "last key");
}

TEST(VersionBlockLayout, KeysMatchWithoutCaseAndEmptyComponentsAreSkipped)
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
    const Bytes sign = Utf16("\xA9");
    *(std::search(block.begin(), block.end(), sign.begin(), sign.end()) + 1) = 0x21;
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\LegalCopyright"), "Copyright ? Velmora");
}

TEST(VersionBlockLayout, AnythingButAVersionBlockAtTheRootFindsNothing)
{
    Bytes block = Block();
    ASSERT_TRUE(RenameKey(block, "VS_VERSION_INFO", "VS_VERSION_INFX"));
    EXPECT_FALSE(Query(block, "\\"));
    EXPECT_FALSE(Query(Bytes{}, "\\"));
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

TEST(DamagedVersionBlock, ACutBlockFindsOnlyWhatItStillHoldsWhole)
{
    const Bytes block = Block();
    for (std::size_t length = 0; length <= block.size(); ++length) {
        // A copy of exactly the cut length, so a read past it is a real overrun.
        const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length));
        for (const char* path : Paths) {
            const auto part = Query(cut, path);
            if (part) {
                EXPECT_EQ(part, Query(block, path)) << path << " at " << length;
            }
        }
    }
    // The root's length covers the whole block, so any cut loses the root.
    EXPECT_FALSE(Query(block, "\\", block.size() - 1));
}

TEST(DamagedVersionBlock, EveryDamagedByteIsSurvived)
{
    const Bytes block = Block();
    for (std::size_t at = 0; at < block.size(); ++at) {
        for (const std::uint8_t damage : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x01}}) {
            Bytes damaged = block;
            damaged[at] = damage;
            for (const char* path : Paths)
                (void)Query(damaged, path);
        }
    }
    SUCCEED();
}

TEST(DamagedVersionBlock, NodeLengthsThatDoNotFitTheirParentEndTheSearch)
{
    Bytes block = Block();
    // The first string of the table claims the whole block, and then nothing at all.
    const Bytes key = Utf16("ProductName");
    const auto keyAt = static_cast<std::size_t>(std::search(block.begin(), block.end(), key.begin(), key.end())
                                                - block.begin());
    const std::size_t nodeAt = keyAt - 6;
    PutLittleEndian(block, nodeAt, 0xFFFF, 2);
    EXPECT_FALSE(Query(block, "\\StringFileInfo\\040904E4\\Comments"));
    PutLittleEndian(block, nodeAt, 0, 2);
    EXPECT_FALSE(Query(block, "\\StringFileInfo\\040904E4\\Comments"));
    EXPECT_TRUE(Query(block, "\\VarFileInfo\\Translation"));
}

TEST(VersionSectionOfAProgram, TheBlockIsFoundAndCopiedFromTheFile)
{
    const Bytes block = Block();
    const Bytes image = ProgramImage(block);
    const auto place = VersionSection(image);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->Size, block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + static_cast<std::ptrdiff_t>(place->Offset)));

    FileFolder folder;
    const QString file = folder.Write("program", image);
    EXPECT_EQ(platform::GetFileVersionInfoSize(file), block.size());
    EXPECT_EQ(platform::GetLastError(), 0u);
    Bytes copy(block.size() + 8, 0xAA);
    ASSERT_TRUE(platform::GetFileVersionInfo(file, static_cast<std::uint32_t>(block.size()), copy.data()));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), copy.begin()));
    EXPECT_EQ(copy[block.size()], 0xAA);   // nothing written past the size asked for
}

TEST(VersionSectionOfAProgram, ASmallerBufferTakesThePrefixAndTheRootNoLongerFits)
{
    const Bytes block = Block();
    FileFolder folder;
    const QString file = folder.Write("program", ProgramImage(block));
    Bytes copy(100, 0);
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
    const std::size_t versionHeader = SectionHeaderAt(good, 2);
    const std::size_t namesHeader = SectionHeaderAt(good, 3);
    struct Damage
    {
        const char* What;
        std::size_t At;
        std::uint64_t Value;
        std::size_t Width;
    };
    const Damage damages[] = {
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
        {"no contents in the file", versionHeader + 4, NoBitsType, 4},
        {"too large to be a block", versionHeader + 0x20, platform::MaxVersionBlockSize + 1, 8},
    };
    for (const Damage& damage : damages) {
        Bytes image = good;
        PutLittleEndian(image, damage.At, damage.Value, damage.Width);
        EXPECT_FALSE(VersionSection(image)) << damage.What;
    }
}

TEST(VersionSectionOfAProgram, OnlyTheExactNameMatches)
{
    EXPECT_FALSE(VersionSection(ElfImage({{".commterm.versions", Block()}})));
    EXPECT_FALSE(VersionSection(ElfImage({{".commterm.versio", Block()}})));
    EXPECT_TRUE(VersionSection(ElfImage({{".commterm.versio", Bytes(8)}, {".commterm.version", Block()}})));
}

TEST(VersionSectionOfAProgram, EveryCutOfAnImageIsSurvived)
{
    const Bytes image = ProgramImage(Block());
    for (std::size_t length = 0; length < image.size(); ++length) {
        const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(VersionSection(cut)) << length;
    }
}
