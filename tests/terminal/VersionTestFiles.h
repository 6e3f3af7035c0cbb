#pragma once

// Version blocks and ELF program images made to measure, and files of them, for the version reader's tests.

#include "platform/VersionBlock.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace versiontest {

using Bytes = std::vector<std::uint8_t>;

// The block the build gives the program, with the strings the tests look for.
inline platform::VersionBlockContent ProgramContent()
{
    platform::VersionBlockContent content;
    const std::uint16_t version[4] = {1, 7, 7, 1};
    std::copy_n(version, 4, content.FileVersion);
    std::copy_n(version, 4, content.ProductVersion);
    content.Strings = {{"ProductName", "Communications Terminal"},
                       {"FileVersion", "1.7.7.1"},
                       {"CompanyName", "Velmora"},
                       {"Comments", "last key"}};
    return content;
}

inline Bytes Block(const platform::VersionBlockContent& content = ProgramContent())
{
    return *platform::BuildVersionBlock(content);
}

// Where a key's UTF-16 text starts in the block; the end when it is not there.
inline Bytes::iterator FindText(Bytes& block, std::string_view text)
{
    Bytes pattern;
    for (const char c : text)
        pattern.insert(pattern.end(), {static_cast<std::uint8_t>(c), 0});
    return std::search(block.begin(), block.end(), pattern.begin(), pattern.end());
}

// Overwrites the first occurrence of a key with another of the same length.
inline bool RenameKey(Bytes& block, std::string_view from, std::string_view to)
{
    auto at = FindText(block, from);
    if (at == block.end())
        return false;
    for (const char c : to) {
        *at++ = static_cast<std::uint8_t>(c);
        *at++ = 0;
    }
    return true;
}

inline void PutLittleEndian(Bytes& image, std::size_t at, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Section
{
    std::string Name;
    Bytes Data;
};

// A 64-bit little-endian ELF image: file header, the sections' contents, the
// section names, then the section header table (a null entry, the sections,
// the names table last), so the table ends the image.
inline Bytes ElfImage(const std::vector<Section>& sections)
{
    Bytes image(64, 0);
    const std::uint8_t identification[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};   // 64-bit, little-endian, version 1
    std::copy(std::begin(identification), std::end(identification), image.begin());
    PutLittleEndian(image, 0x10, 2, 2);      // executable
    PutLittleEndian(image, 0x12, 0x3E, 2);   // x86-64
    PutLittleEndian(image, 0x14, 1, 4);
    PutLittleEndian(image, 0x34, 64, 2);

    Bytes table(64, 0);
    const auto entry = [&table](std::uint64_t name, std::uint64_t type, std::uint64_t offset, std::uint64_t size) {
        const std::size_t at = table.size();
        table.resize(at + 64, 0);
        PutLittleEndian(table, at, name, 4);
        PutLittleEndian(table, at + 4, type, 4);
        PutLittleEndian(table, at + 0x18, offset, 8);
        PutLittleEndian(table, at + 0x20, size, 8);
    };
    std::string names(1, '\0');
    for (const auto& section : sections) {
        entry(names.size(), 1, image.size(), section.Data.size());   // program bits
        image.insert(image.end(), section.Data.begin(), section.Data.end());
        names += section.Name + '\0';
    }
    const std::string namesName = ".shstrtab";
    entry(names.size(), 3, image.size(), names.size() + namesName.size() + 1);   // string table
    names += namesName + '\0';
    image.insert(image.end(), names.begin(), names.end());
    image.resize((image.size() + 7) / 8 * 8, 0);

    PutLittleEndian(image, 0x28, image.size(), 8);
    PutLittleEndian(image, 0x3A, 64, 2);
    PutLittleEndian(image, 0x3C, table.size() / 64, 2);
    PutLittleEndian(image, 0x3E, table.size() / 64 - 1, 2);
    image.insert(image.end(), table.begin(), table.end());
    return image;
}

inline Bytes ProgramImage(const Bytes& block)
{
    return ElfImage({{".text", Bytes(32, 0x90)}, {".commterm.version", block}});
}

// Writes a file into the folder and gives its path.
template <class Contents>
QString WriteFile(const QTemporaryDir& folder, const QString& name, const Contents& contents)
{
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(contents.data()), static_cast<qint64>(contents.size()));
    return file.fileName();
}

} // namespace versiontest
