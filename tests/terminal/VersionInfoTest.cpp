// The program file's version block and its reader: what a path finds, and
// that no cut or damaged block, section table or file makes the reader read
// past its bytes (the sanitizer run watches every case) or wait for ever.

#include "platform/ByteOrder.h"
#include "platform/ElfSection.h"
#include "platform/InstallFolder.h"
#include "platform/VersionInfo.h"
#include "support/Files.h"
#include "terminal/VerInfo.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Damage = std::function<void(Bytes&)>;
const QString Program = QStringLiteral(COMMTERM_PROGRAM_FILE);
const QString Table = QStringLiteral("\\StringFileInfo\\040904E4\\");

Bytes Block(std::uint16_t language = 0x0409, std::uint16_t codePage = 0x04E4)
{
    platform::VersionBlockContent content{{1, 2, 3, 4}, {1, 2, 3, 4}, language, codePage, {}};
    content.Strings = {{"ProductName", "Communications Terminal"}, {"FileVersion", "1.2.3.4"},
                       {"CompanyName", "Velmora"}, {"Comments", "last key"}};
    return *platform::BuildVersionBlock(content);
}

// Where the UTF-16 text starts in the block; a node's 6-byte header (length,
// value length, type) comes right before its key.
std::size_t TextAt(const Bytes& block, std::string_view text, std::size_t header = 0)
{
    Bytes wide;
    for (const char c : text)
        wide.insert(wide.end(), {static_cast<std::uint8_t>(c), 0});
    return static_cast<std::size_t>(std::search(block.begin(), block.end(), wide.begin(), wide.end()) - block.begin())
           - header;
}
std::size_t NodeAt(const Bytes& block, std::string_view key) { return TextAt(block, key, 6); }

void Put(Bytes& bytes, std::size_t at, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::optional<QByteArray> Query(const Bytes& block, const QString& path)
{
    QByteArray value;
    if (!platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), path, value))
        return std::nullopt;
    return value;
}

// The built program's own bytes.
const Bytes& ProgramImage()
{
    static const Bytes image = [] {
        const QByteArray bytes = ReadWholeFile(Program);
        return Bytes(bytes.begin(), bytes.end());
    }();
    return image;
}

std::optional<platform::ElfSectionPlace> VersionSection(const Bytes& image)
{
    return platform::FindElfSection(image, platform::VersionSectionName, platform::MaxVersionBlockSize);
}

QString WriteFile(const QTemporaryDir& folder, const QString& name, const Bytes& contents)
{
    WriteWholeFile(folder.filePath(name), QByteArray(reinterpret_cast<const char*>(contents.data()),
                                                     static_cast<qsizetype>(contents.size())));
    return folder.filePath(name);
}

// What a read of the file found: version, language, code page, the 12
// strings joined by '|', and the last error.
auto Read(const QString& fileName)
{
    VerInfo info;
    info.SetFileName(fileName);
    const QStringList strings{info.ProductName, info.ProductVersion, info.OriginalFilename, info.FileDescription,
                              info.FileVersion, info.CompanyName, info.LegalCopyright, info.LegalTrademarks,
                              info.InternalName, info.PrivateBuild, info.SpecialBuild, info.Comments};
    return std::tuple(info.GetFileVersion(), info.Language, info.CodePage, strings.join('|'), info.LastError);
}

const QString NoStrings(11, '|');

} // namespace

TEST(VersionBlock, PathsMatchKeysWithoutCaseAndSkipEmptyComponents)
{
    Bytes block = Block();
    const std::pair<QString, std::optional<QByteArray>> cases[] = {
        {"\\stringfileinfo\\040904e4\\productname", "Communications Terminal"},
        {"StringFileInfo\\\\040904E4\\CompanyName\\", "Velmora"},
        {Table + "Comments", "last key"}, {Table + "Company", std::nullopt}, {Table + "CompanyNameX", std::nullopt},
        {"\\VarFileInfo\\Translation", QByteArray("\x09\x04\xE4\x04", 4)},
    };
    for (const auto& [path, value] : cases)
        EXPECT_EQ(Query(block, path), value) << path.toStdString();
    // Text comes back as 8-bit text; a character beyond 8 bits cannot be shown.
    block[TextAt(block, "Velmora") + 1] = 0x21;
    EXPECT_EQ(Query(block, Table + "CompanyName"), "?elmora");
    QByteArray value;
    EXPECT_FALSE(platform::VerQueryValue(nullptr, 100, "\\", value));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

// Each node must lie inside its parent and each value inside its node, though
// the bytes beyond them still belong to the block.
TEST(VersionBlock, NodesAndValuesThatDoNotFitWhereTheyStandAreNotFound)
{
    const std::tuple<const char*, Damage, QString> cases[] = {
        {"node a few bytes past its parent", [](Bytes& b) { b[NodeAt(b, "Comments")] += 4; }, Table + "Comments"},
        {"value a few bytes past its node", [](Bytes& b) { b[NodeAt(b, "FileVersion") + 2] += 2; },
         Table + "FileVersion"},
        {"node longer than the block", [](Bytes& b) { Put(b, NodeAt(b, "ProductName"), 0xFFFF, 2); },
         Table + "Comments"},
        {"node shorter than its header", [](Bytes& b) { Put(b, NodeAt(b, "ProductName"), 0, 2); }, Table + "Comments"},
        {"root that is no version block", [](Bytes& b) { b[TextAt(b, "VS_VERSION_INFO")] = 'X'; }, "\\"},
    };
    for (const auto& [what, damage, path] : cases) {
        Bytes block = Block();
        ASSERT_TRUE(Query(block, path)) << what;
        damage(block);
        EXPECT_FALSE(Query(block, path)) << what;
    }
    const Bytes block = Block();
    for (std::size_t length = 0; length < block.size(); ++length) {
        // A copy of exactly the cut length, so a read past it is a real overrun.
        const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length));
        for (const QString& path : {QString("\\"), Table + "Comments", QString("\\VarFileInfo\\Translation")})
            EXPECT_FALSE(Query(cut, path)) << length;
    }
}

// The section is found through the program's section table only while every
// part of the table, its names and the contents lie inside the file.
TEST(VersionSection, OnlyAWellFormedImageHasTheSectionAndItIsCopiedUpToTheSizeAskedFor)
{
    const Bytes& good = ProgramImage();
    const auto place = VersionSection(good);
    ASSERT_TRUE(place);
    const std::size_t table = platform::LittleEndianAt(good, 0x28, 8), count = platform::LittleEndianAt(good, 0x3C, 2);
    const std::size_t names = table + 64 * platform::LittleEndianAt(good, 0x3E, 2);
    std::size_t version = table;
    while (platform::LittleEndianAt(good, version + 0x18, 8) != place->Offset)
        version += 64;
    const std::size_t name = platform::LittleEndianAt(good, names + 0x18, 8)
                             + platform::LittleEndianAt(good, version, 4);
    const std::tuple<const char*, std::size_t, std::uint64_t, std::size_t> damages[] = {
        {"magic", 1, 'X', 1}, {"32-bit class", 4, 1, 1}, {"big-endian", 5, 2, 1}, {"header entry size", 0x3A, 40, 2},
        {"no sections", 0x3C, 0, 2}, {"names index past the table", 0x3E, count, 2},
        {"table past the end", 0x28, good.size() - 64, 8}, {"table offset overflows", 0x28, ~0ull - 16, 8},
        {"names not a string table", names + 4, 1, 4}, {"names past the end", names + 0x18, good.size(), 8},
        {"name offset past the names", version, 0xFFFFFFF0, 4}, {"longer name", name + 17, 's', 1},
        {"shorter name", name + 16, 0, 1}, {"contents past the end", version + 0x20, good.size(), 8},
        {"contents offset overflows", version + 0x18, ~0ull - 8, 8}, {"no contents in the file", version + 4, 8, 4},
        {"too large to be a block", version + 0x20, platform::MaxVersionBlockSize + 1, 8},
    };
    for (const auto& [what, at, value, width] : damages) {
        Bytes image = good;
        Put(image, at, value, width);
        EXPECT_FALSE(VersionSection(image)) << what;
    }
    for (const std::size_t length : {std::size_t(63), table, table + 64 * count - 1})
        EXPECT_FALSE(VersionSection(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)))) << length;

    EXPECT_EQ(platform::GetFileVersionInfoSize(Program), place->Size);
    Bytes copy(place->Size, 0xAA);
    ASSERT_TRUE(platform::GetFileVersionInfo(Program, 100, copy.data()));
    EXPECT_TRUE(std::equal(copy.begin(), copy.begin() + 100, good.begin() + std::ptrdiff_t(place->Offset)));
    EXPECT_EQ(copy[100], 0xAA);
    EXPECT_FALSE(platform::GetFileVersionInfo(Program, 0, copy.data()));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

// The built program has every key but PrivateBuild, in its place; the last
// query that failed was PrivateBuild's. A file without a block leaves
// everything cleared, with the reason.
TEST(ProgramVersion, TheBuiltProgramReadsBackEveryKeyAndFilesWithoutABlockNone)
{
    EXPECT_EQ(Read(Program), std::tuple(QString("1.7.7.1"), 0x0409, 0x04E4,
                                        QString("Communications Terminal|1.7.7.1|comm-terminal|ZK Comm Terminal|"
                                                "1.7.7.1|Velmora|Copyright (C) Velmora|Dravik, Tessaline and Orvane "
                                                "are trademarks of Velmora|comm-terminal||Linux|Terminal for Velmora "
                                                "laser controllers"),
                                        platform::VersionError::ValueNotFound));
    EXPECT_EQ(std::tuple(VersionInfo.FileName, VersionInfo.GetFileVersion()),
              std::tuple(InstallFolder::ProgramFile(), QString("1.7.7.1")));

    const QTemporaryDir folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("fifo")).constData(), 0600), 0);
    const Bytes& whole = ProgramImage();
    QList<std::pair<QString, std::uint32_t>> files = {
        {QStringLiteral(COMMTERM_PLAIN_PROGRAM_FILE), platform::VersionError::NoBlock},
        {folder.filePath("absent"), ENOENT}, {WriteFile(folder, "empty", {}), platform::VersionError::NoBlock},
        {WriteFile(folder, "text", {0x7F, 'E', 'L', 'F', ' '}), platform::VersionError::NoBlock},
        {folder.path(), platform::VersionError::NoBlock}, {folder.filePath("fifo"), platform::VersionError::NoBlock},
        {"/dev/zero", platform::VersionError::NoBlock}};
    // The section table ends the program, so any cut loses it.
    for (const std::size_t length : {std::size_t(63), std::size_t(64), whole.size() / 2, whole.size() - 1}) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        files.append({WriteFile(folder, QString::number(length), cut), platform::VersionError::NoBlock});
    }
    for (const auto& [file, error] : files)
        EXPECT_EQ(Read(file), std::tuple(QString("0.0.0.0"), 0, 0, NoStrings, error)) << file.toStdString();
}

// A read keeps what it read whole before the step that failed.
TEST(ProgramVersion, ABlockThatStopsPartWayKeepsWhatWasReadWhole)
{
    const QString all = "Communications Terminal||||1.2.3.4|Velmora||||||last key";
    const std::tuple<const char*, Bytes, Damage, QString, int, QString> cases[] = {
        {"whole", Block(), [](Bytes&) {}, "1.2.3.4", 0x0409, all},
        {"another translation", Block(0x0407, 0x04B0), [](Bytes&) {}, "1.2.3.4", 0x0407, all},
        {"no translation", Block(), [](Bytes& b) { b[TextAt(b, "Translation")] = 'X'; }, "1.2.3.4", 0, NoStrings},
        {"translation shorter than four bytes", Block(), [](Bytes& b) { b[NodeAt(b, "Translation") + 2] = 2; },
         "1.2.3.4", 0, NoStrings},
        {"table under another translation", Block(), [](Bytes& b) { b[TextAt(b, "040904E4")] = 'X'; }, "1.2.3.4",
         0x0409, NoStrings},
        {"fixed block shorter than 52 bytes", Block(), [](Bytes& b) { Put(b, 2, 40, 2); }, "0.0.0.0", 0, NoStrings},
    };
    const QTemporaryDir folder;
    for (auto [what, block, damage, version, language, strings] : cases) {
        damage(block);
        // The built program with this block in its version section, the rest of the section cleared.
        Bytes image = ProgramImage();
        const auto place = *VersionSection(image);
        std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(place.Offset), place.Size, 0);
        std::copy(block.begin(), block.end(), image.begin() + static_cast<std::ptrdiff_t>(place.Offset));
        const auto [readVersion, readLanguage, codePage, readStrings, error] = Read(WriteFile(folder, "p", image));
        EXPECT_EQ(std::tuple(readVersion, readLanguage, readStrings, error),
                  std::tuple(version, language, strings, platform::VersionError::ValueNotFound)) << what;
    }
    // A new read forgets what the one before found.
    VerInfo info;
    info.SetFileName(Program);
    info.SetFileName(QStringLiteral("/absent"));
    EXPECT_EQ(std::tuple(info.FileName, info.GetFileVersion(), info.ProductName),
              std::tuple(QString("/absent"), QString("0.0.0.0"), QString()));
}
