#pragma once

// Version blocks and ELF program images made to measure, and a folder to keep
// them in, for the version reader's tests.

#include "platform/VersionBlock.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace versiontest {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t ProgBitsType = 1;
inline constexpr std::uint32_t NoBitsType = 8;

// The block the build gives the program, with the strings the tests look for.
inline platform::VersionBlockContent ProgramContent()
{
    platform::VersionBlockContent content;
    const std::uint16_t version[4] = {1, 7, 7, 1};
    std::copy(std::begin(version), std::end(version), content.FileVersion);
    std::copy(std::begin(version), std::end(version), content.ProductVersion);
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

inline Bytes Utf16(std::string_view text)
{
    Bytes out;
    for (const char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

// Replaces the first UTF-16 occurrence of a key with another of the same length.
inline bool RenameKey(Bytes& block, std::string_view from, std::string_view to)
{
    const Bytes pattern = Utf16(from);
    const Bytes replacement = Utf16(to);
    for (std::size_t at = 0; at + pattern.size() <= block.size(); ++at) {
        if (std::equal(pattern.begin(), pattern.end(), block.begin() + static_cast<std::ptrdiff_t>(at))) {
            std::copy(replacement.begin(), replacement.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
            return true;
        }
    }
    return false;
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
    std::uint32_t Type = ProgBitsType;
};

// A 64-bit little-endian ELF image: file header, the sections' contents, the
// section names, then the section header table (a null entry, the sections,
// the names table last).
inline Bytes ElfImage(const std::vector<Section>& sections)
{
    Bytes image(64, 0);
    const Bytes ident = {0x7F, 'E', 'L', 'F', 2, 1, 1};
    std::copy(ident.begin(), ident.end(), image.begin());
    PutLittleEndian(image, 0x10, 2, 2);      // executable
    PutLittleEndian(image, 0x12, 0x3E, 2);   // x86-64
    PutLittleEndian(image, 0x14, 1, 4);
    PutLittleEndian(image, 0x34, 64, 2);

    std::vector<std::uint64_t> offsets;
    for (const auto& section : sections) {
        offsets.push_back(image.size());
        image.insert(image.end(), section.Data.begin(), section.Data.end());
    }
    std::string names(1, '\0');
    std::vector<std::uint32_t> nameOffsets;
    for (const auto& section : sections) {
        nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
        names += section.Name + '\0';
    }
    const auto namesName = static_cast<std::uint32_t>(names.size());
    names += std::string(".shstrtab") + '\0';
    const std::uint64_t namesOffset = image.size();
    image.insert(image.end(), names.begin(), names.end());
    while (image.size() % 8 != 0)
        image.push_back(0);

    const std::uint64_t tableOffset = image.size();
    const std::size_t count = sections.size() + 2;
    image.resize(image.size() + 64 * count, 0);
    const auto entry = [&](std::size_t index, std::uint32_t name, std::uint32_t type, std::uint64_t offset,
                           std::uint64_t size) {
        const std::size_t at = tableOffset + 64 * index;
        PutLittleEndian(image, at, name, 4);
        PutLittleEndian(image, at + 4, type, 4);
        PutLittleEndian(image, at + 0x18, offset, 8);
        PutLittleEndian(image, at + 0x20, size, 8);
    };
    for (std::size_t i = 0; i < sections.size(); ++i)
        entry(i + 1, nameOffsets[i], sections[i].Type, offsets[i], sections[i].Data.size());
    entry(count - 1, namesName, 3, namesOffset, names.size());
    PutLittleEndian(image, 0x28, tableOffset, 8);
    PutLittleEndian(image, 0x3A, 64, 2);
    PutLittleEndian(image, 0x3C, count, 2);
    PutLittleEndian(image, 0x3E, count - 1, 2);
    return image;
}

inline Bytes ProgramImage(const Bytes& block)
{
    return ElfImage({{".text", Bytes(32, 0x90)}, {".commterm.version", block}});
}

// Where a section header of an image starts.
inline std::size_t SectionHeaderAt(const Bytes& image, std::size_t index)
{
    std::size_t offset = 0;
    for (std::size_t i = 0; i < 8; ++i)
        offset |= std::size_t{image[0x28 + i]} << (8 * i);
    return offset + 64 * index;
}

class FileFolder
{
public:
    QString Write(const QString& name, const QByteArray& contents) const
    {
        const QString path = Folder.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(contents);
        return path;
    }
    QString Write(const QString& name, const Bytes& contents) const
    {
        return Write(name, QByteArray(reinterpret_cast<const char*>(contents.data()),
                                      static_cast<qsizetype>(contents.size())));
    }
    QString Path(const QString& name) const { return Folder.filePath(name); }

private:
    QTemporaryDir Folder;
};

} // namespace versiontest
