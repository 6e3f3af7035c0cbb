#include "platform/ElfSection.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace platform {

namespace {

constexpr std::size_t FileHeaderSize = 64;
constexpr std::size_t SectionHeaderSize = 64;
constexpr std::uint8_t Class64 = 2;
constexpr std::uint8_t LittleEndian = 1;
constexpr std::uint8_t CurrentVersion = 1;
constexpr std::uint32_t StringTableType = 3;
constexpr std::uint32_t NoBitsType = 8;

// True when [offset, offset + size) lies inside a file of fileSize bytes.
bool InsideFile(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize)
{
    return offset <= fileSize && size <= fileSize - offset;
}

struct TableOfSections
{
    std::uint64_t Offset = 0;
    std::uint16_t Count = 0;
    std::uint16_t NamesIndex = 0;
};

struct SectionHeader
{
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    ElfSectionPlace Place;
};

std::optional<TableOfSections> ReadFileHeader(const ElfReadAt& read, std::uint64_t fileSize)
{
    std::array<std::uint8_t, FileHeaderSize> header{};
    if (fileSize < header.size() || !read(0, header))
        return std::nullopt;
    if (std::memcmp(header.data(), "\x7F" "ELF", 4) != 0 || header[4] != Class64 || header[5] != LittleEndian
        || header[6] != CurrentVersion)
        return std::nullopt;
    TableOfSections table;
    table.Offset = LittleEndianAt(header, 0x28, 8);
    const auto entrySize = LittleEndianAt(header, 0x3A, 2);
    table.Count = static_cast<std::uint16_t>(LittleEndianAt(header, 0x3C, 2));
    table.NamesIndex = static_cast<std::uint16_t>(LittleEndianAt(header, 0x3E, 2));
    if (entrySize != SectionHeaderSize || table.Count == 0 || table.NamesIndex >= table.Count
        || !InsideFile(table.Offset, std::uint64_t{table.Count} * SectionHeaderSize, fileSize))
        return std::nullopt;
    return table;
}

std::optional<SectionHeader> ReadSectionHeader(const ElfReadAt& read, const TableOfSections& table,
                                               std::uint16_t index)
{
    std::array<std::uint8_t, SectionHeaderSize> header{};
    if (!read(table.Offset + std::uint64_t{index} * SectionHeaderSize, header))
        return std::nullopt;
    SectionHeader section;
    section.Name = static_cast<std::uint32_t>(LittleEndianAt(header, 0x00, 4));
    section.Type = static_cast<std::uint32_t>(LittleEndianAt(header, 0x04, 4));
    section.Place.Offset = LittleEndianAt(header, 0x18, 8);
    section.Place.Size = LittleEndianAt(header, 0x20, 8);
    return section;
}

bool HasContents(const SectionHeader& section, std::uint64_t fileSize)
{
    return section.Type != NoBitsType && InsideFile(section.Place.Offset, section.Place.Size, fileSize);
}

// True when the names table holds name, NUL-terminated, at the section's name offset.
bool NameIs(const ElfReadAt& read, const ElfSectionPlace& names, const SectionHeader& section,
            std::string_view name)
{
    const std::uint64_t wanted = name.size() + 1;
    if (!InsideFile(section.Name, wanted, names.Size))
        return false;
    std::string stored(wanted, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(stored.data());
    if (!read(names.Offset + section.Name, std::span<std::uint8_t>(bytes, stored.size())))
        return false;
    return stored.back() == '\0' && std::string_view(stored.data(), name.size()) == name;
}

} // namespace

std::optional<ElfSectionPlace> FindElfSection(const ElfReadAt& read, std::uint64_t fileSize,
                                              std::string_view name, std::uint64_t maxSize)
{
    const auto table = ReadFileHeader(read, fileSize);
    if (!table)
        return std::nullopt;
    const auto names = ReadSectionHeader(read, *table, table->NamesIndex);
    if (!names || names->Type != StringTableType || !HasContents(*names, fileSize))
        return std::nullopt;
    for (std::uint16_t index = 0; index < table->Count; ++index) {
        const auto section = ReadSectionHeader(read, *table, index);
        if (!section)
            return std::nullopt;
        if (!NameIs(read, names->Place, *section, name))
            continue;
        if (!HasContents(*section, fileSize) || section->Place.Size > maxSize)
            return std::nullopt;
        return section->Place;
    }
    return std::nullopt;
}

std::optional<ElfSectionPlace> FindElfSection(std::span<const std::uint8_t> image, std::string_view name,
                                              std::uint64_t maxSize)
{
    const ElfReadAt read = [image](std::uint64_t offset, std::span<std::uint8_t> out) {
        if (!InsideFile(offset, out.size(), image.size()))
            return false;
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    };
    return FindElfSection(read, image.size(), name, maxSize);
}

} // namespace platform
