#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

// Finds a named section of a 64-bit little-endian ELF file through its section
// header table. Anything malformed (wrong magic, class or byte order, a table
// or a name outside the file, a section without contents in the file) means
// the section is not there; every read is checked against the file's size.
namespace platform {

struct ElfSectionPlace
{
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// Reads out.size() bytes at offset; false when they are not all there.
using ElfReadAt = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;

// The first section called name with contents in the file and at most maxSize
// bytes of them; nothing when there is none.
std::optional<ElfSectionPlace> FindElfSection(const ElfReadAt& read, std::uint64_t fileSize,
                                              std::string_view name, std::uint64_t maxSize);

// The same over a file image held in memory.
std::optional<ElfSectionPlace> FindElfSection(std::span<const std::uint8_t> image, std::string_view name,
                                              std::uint64_t maxSize);

} // namespace platform
