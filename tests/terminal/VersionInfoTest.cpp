// The program file's version block and its reader: what a path finds, and
// that no cut or damaged block, section table or file makes the reader read
// past its bytes (the sanitizer run watches every case) or wait for ever.

#include "platform/ElfSection.h"
#include "platform/InstallFolder.h"
#include "platform/VersionInfo.h"
#include "terminal/VerInfo.h"

#include <gtest/gtest.h>

#include <QFile>
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

// Where the UTF-16 text starts in the block.
std::size_t TextAt(const Bytes& block, std::string_view text)
{
    Bytes wide;
    for (const char c : text)
        wide.insert(wide.end(), {static_cast<std::uint8_t>(c), 0});
    return static_cast<std::size_t>(std::search(block.begin(), block.end(), wide.begin(), wide.end()) - block.begin());
}

// A node's header (length, value length, type) comes right before its key.
std::size_t NodeAt(const Bytes& block, std::string_view key) { return TextAt(block, key) - 6; }

void Put(Bytes& bytes, std::size_t at, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void RenameKey(Bytes& block, std::string_view from, char to)
{
    block[TextAt(block, from)] = static_cast<std::uint8_t>(to);
}

std::optional<QByteArray> Query(const Bytes& block, const QString& path)
{
    QByteArray value;
    if (!platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), path, value))
        return std::nullopt;
    return value;
}

// A 64-bit little-endian ELF image: file header, the sections' contents, their
// names, then the section table (a null entry, the sections, the names last).
Bytes ElfImage(const std::vector<std::pair<std::string, Bytes>>& sections)
{
    Bytes image(64, 0), table(64, 0);
    const std::uint8_t identification[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};   // 64-bit, little-endian, version 1
    std::copy(std::begin(identification), std::end(identification), image.begin());
    std::string names(1, '\0');
    const auto add = [&](const std::string& name, std::uint32_t type, const Bytes& data) {
        table.resize(table.size() + 64, 0);
        Put(table, table.size() - 64, names.size(), 4);
        Put(table, table.size() - 60, type, 4);
        Put(table, table.size() - 40, image.size(), 8);
        Put(table, table.size() - 32, data.size(), 8);
        image.insert(image.end(), data.begin(), data.end());
        names += name + '\0';
    };
    for (const auto& [name, data] : sections)
        add(name, 1, data);
    const std::string namesTable = names + ".shstrtab" + '\0';
    add(".shstrtab", 3, Bytes(namesTable.begin(), namesTable.end()));
    image.resize((image.size() + 7) / 8 * 8, 0);
    Put(image, 0x28, image.size(), 8);
    Put(image, 0x3A, 64, 2);
    Put(image, 0x3C, table.size() / 64, 2);
    Put(image, 0x3E, table.size() / 64 - 1, 2);
    image.insert(image.end(), table.begin(), table.end());
    return image;
}

bool HasSection(const Bytes& image)
{
    return platform::FindElfSection(image, platform::VersionSectionName, platform::MaxVersionBlockSize).has_value();
}

template <class Contents>
QString WriteFile(const QTemporaryDir& folder, const QString& name, const Contents& contents)
{
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(contents.data()), static_cast<qint64>(contents.size()));
    return file.fileName();
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

auto Cleared(std::uint32_t error) { return std::tuple(QString("0.0.0.0"), 0, 0, QString(11, '|'), error); }

} // namespace

// ---- The block ----

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
    platform::VersionBlockContent tooLarge;
    tooLarge.Strings.assign(400, {"Comments", std::string(100, 'x')});
    EXPECT_FALSE(platform::BuildVersionBlock(tooLarge));
}

// Each node must lie inside its parent and each value inside its node, though
// the bytes beyond them still belong to the block.
TEST(VersionBlock, NodesAndValuesThatDoNotFitWhereTheyStandAreNotFound)
{
    const std::tuple<const char*, Damage, QString> cases[] = {
        {"node a few bytes past its parent", [](Bytes& b) { b[NodeAt(b, "Comments")] += 4; }, Table + "Comments"},
        {"value a few bytes past its node", [](Bytes& b) { b[NodeAt(b, "FileVersion") + 2] += 2; }, Table + "FileVersion"},
        {"node longer than the block", [](Bytes& b) { Put(b, NodeAt(b, "ProductName"), 0xFFFF, 2); }, Table + "Comments"},
        {"node shorter than its header", [](Bytes& b) { Put(b, NodeAt(b, "ProductName"), 0, 2); }, Table + "Comments"},
        {"root that is no version block", [](Bytes& b) { RenameKey(b, "VS_VERSION_INFO", 'X'); }, "\\"},
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
    QByteArray value;
    EXPECT_FALSE(platform::VerQueryValue(nullptr, 100, "\\", value));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

// ---- The section that carries it ----

TEST(VersionSection, TheBlockIsCopiedFromTheFileUpToTheSizeAskedFor)
{
    const Bytes block = Block();
    const QTemporaryDir folder;
    const QString file = WriteFile(folder, "program", ElfImage({{".commterm.version", block}}));
    EXPECT_EQ(platform::GetFileVersionInfoSize(file), block.size());
    Bytes copy(block.size(), 0xAA);
    ASSERT_TRUE(platform::GetFileVersionInfo(file, 100, copy.data()));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 100, copy.begin()) && copy[100] == 0xAA);
    EXPECT_FALSE(platform::GetFileVersionInfo(file, 0, copy.data()));
    EXPECT_EQ(platform::GetLastError(), platform::VersionError::InvalidParameter);
}

TEST(VersionSection, MalformedImagesHaveNoSection)
{
    const Bytes good = ElfImage({{".text", Bytes(32, 0x90)}, {".commterm.version", Block()}});
    ASSERT_TRUE(HasSection(good));
    // The section table ends the image: the names' entry last, the block's before it.
    const std::size_t names = good.size() - 64, version = good.size() - 128;
    const std::tuple<const char*, std::size_t, std::uint64_t, std::size_t> damages[] = {
        {"magic", 1, 'X', 1},
        {"32-bit class", 4, 1, 1},
        {"big-endian", 5, 2, 1},
        {"header entry size", 0x3A, 40, 2},
        {"no sections", 0x3C, 0, 2},
        {"names index past the table", 0x3E, 4, 2},
        {"table past the end", 0x28, good.size() - 64, 8},
        {"table offset overflows", 0x28, ~std::uint64_t{0} - 16, 8},
        {"names not a string table", names + 4, 1, 4},
        {"names past the end", names + 0x18, good.size(), 8},
        {"name offset past the names", version, 0xFFFFFFF0, 4},
        {"contents past the end", version + 0x20, good.size(), 8},
        {"contents offset overflows", version + 0x18, ~std::uint64_t{0} - 8, 8},
        {"no contents in the file", version + 4, 8, 4},
        {"too large to be a block", version + 0x20, platform::MaxVersionBlockSize + 1, 8},
    };
    for (const auto& [what, at, value, width] : damages) {
        Bytes image = good;
        Put(image, at, value, width);
        EXPECT_FALSE(HasSection(image)) << what;
    }
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(HasSection(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)))) << length;
    EXPECT_FALSE(HasSection(ElfImage({{".commterm.versions", Block()}})));
    EXPECT_FALSE(HasSection(ElfImage({{".commterm.versio", Block()}})));
    EXPECT_TRUE(HasSection(ElfImage({{".commterm.versio", Bytes(8)}, {".commterm.version", Block()}})));
}

// ---- The reader ----

// Every key but PrivateBuild, in its place; the last query that failed was PrivateBuild's.
TEST(ProgramVersion, TheBuiltProgramReadsBackItsVersionAndEveryKey)
{
    EXPECT_EQ(Read(Program), std::tuple(QString("1.7.7.1"), 0x0409, 0x04E4,
                                        QString("Communications Terminal|1.7.7.1|comm-terminal|ZK Comm Terminal|1.7.7.1|"
                                                "Velmora|Copyright (C) Velmora|Dravik, Tessaline and Orvane are "
                                                "trademarks of Velmora|comm-terminal||Linux|Terminal for Velmora laser "
                                                "controllers"),
                                        platform::VersionError::ValueNotFound));
    EXPECT_EQ(VersionInfo.FileName, InstallFolder::ProgramFile());
    EXPECT_EQ(VersionInfo.GetFileVersion(), "1.7.7.1");
}

TEST(ProgramVersion, FilesWithoutABlockLeaveEverythingClearedWithTheReason)
{
    const QTemporaryDir folder;
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xFF);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("fifo")).constData(), 0600), 0);
    QFile program(Program);
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray whole = program.readAll();
    QList<std::pair<QString, std::uint32_t>> files = {
        {QStringLiteral(COMMTERM_PLAIN_PROGRAM_FILE), platform::VersionError::NoBlock},
        {folder.filePath("absent"), ENOENT},
        {WriteFile(folder, "empty", QByteArray()), platform::VersionError::NoBlock},
        {WriteFile(folder, "noise", noise), platform::VersionError::NoBlock},
        {folder.path(), platform::VersionError::NoBlock},
        {folder.filePath("fifo"), platform::VersionError::NoBlock},
        {QStringLiteral("/dev/zero"), platform::VersionError::NoBlock}};
    // The section table ends the program, so any cut loses it.
    for (const qsizetype length : {qsizetype(63), qsizetype(64), whole.size() / 2, whole.size() - 1})
        files.append({WriteFile(folder, QString::number(length), whole.left(length)), platform::VersionError::NoBlock});
    for (const auto& [file, error] : files)
        EXPECT_EQ(Read(file), Cleared(error)) << file.toStdString();
}

// A read keeps what it read whole before the step that failed, and a new
// read forgets what the one before found.
TEST(ProgramVersion, ABlockThatStopsPartWayKeepsWhatWasReadWhole)
{
    const auto strings = [](const char* company) { return QString("Communications Terminal||||1.2.3.4|%1||||||last key").arg(company); };
    const std::tuple<const char*, Bytes, Damage, QString, int, QString> cases[] = {
        {"whole", Block(), [](Bytes&) {}, "1.2.3.4", 0x0409, strings("Velmora")},
        {"another translation", Block(0x0407, 0x04B0), [](Bytes&) {}, "1.2.3.4", 0x0407, strings("Velmora")},
        {"no translation", Block(), [](Bytes& b) { RenameKey(b, "Translation", 'X'); }, "1.2.3.4", 0, QString(11, '|')},
        {"translation shorter than four bytes", Block(), [](Bytes& b) { b[NodeAt(b, "Translation") + 2] = 2; },
         "1.2.3.4", 0, QString(11, '|')},
        {"table under another translation", Block(), [](Bytes& b) { RenameKey(b, "040904E4", 'X'); }, "1.2.3.4",
         0x0409, QString(11, '|')},
        {"fixed block shorter than 52 bytes", Block(), [](Bytes& b) { Put(b, 2, 40, 2); }, "0.0.0.0", 0, QString(11, '|')},
    };
    for (auto [what, block, damage, version, language, texts] : cases) {
        damage(block);
        const QTemporaryDir folder;
        const auto [readVersion, readLanguage, codePage, readTexts, error] =
            Read(WriteFile(folder, "program", ElfImage({{".commterm.version", block}})));
        EXPECT_EQ(std::tuple(readVersion, readLanguage, readTexts, error),
                  std::tuple(version, language, texts, platform::VersionError::ValueNotFound)) << what;
    }
    VerInfo info;
    info.SetFileName(Program);
    info.SetFileName(QStringLiteral("/absent"));
    EXPECT_EQ(std::tuple(info.FileName, info.GetFileVersion(), info.ProductName), std::tuple(QString("/absent"), QString("0.0.0.0"), QString()));
}
