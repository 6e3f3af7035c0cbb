#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The version block a program file carries: the layout of the Windows version
// resource, so the terminal reads its version the way it always has. A block
// is a tree of nodes; each node is
//   length (16 bits, the whole node with its children),
//   value length (16 bits; in UTF-16 units for text, in bytes for binary),
//   type (16 bits; 1 text, 0 binary),
//   key (UTF-16, NUL-terminated), padding to 32 bits,
//   value, padding to 32 bits,
//   children, each starting on a 32-bit boundary of the block.
// All numbers are little-endian. The root is "VS_VERSION_INFO" with the fixed
// file information as its value; below it "StringFileInfo" holds string tables
// keyed by language and code page, and "VarFileInfo" holds "Translation".
//
// Plain C++ without Qt: the build's block generator compiles this file on its own.
namespace platform {

// The fixed file information: 13 little-endian 32-bit words, 52 bytes.
struct FixedFileInfo
{
    static constexpr std::uint32_t SignatureValue = 0xFEEF04BD;
    static constexpr std::size_t Size = 52;

    std::uint32_t Signature = 0;
    std::uint32_t StrucVersion = 0;
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = 0;
    std::uint32_t FileType = 0;
    std::uint32_t FileSubtype = 0;
    std::uint32_t FileDateMS = 0;
    std::uint32_t FileDateLS = 0;

    // Reads the 52 bytes; bytes must hold at least Size of them.
    static FixedFileInfo FromBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> ToBytes() const;

    bool operator==(const FixedFileInfo&) const = default;
};

// What the generator puts into a block. Texts are 8-bit (Latin-1) and are
// widened to UTF-16 code unit by code unit.
struct VersionBlockContent
{
    std::uint16_t FileVersion[4] = {0, 0, 0, 0};     // major, minor, release, build
    std::uint16_t ProductVersion[4] = {0, 0, 0, 0};
    std::uint16_t Language = 0x0409;
    std::uint16_t CodePage = 0x04E4;
    std::vector<std::pair<std::string, std::string>> Strings;   // key, value
};

// The block, or nothing when it would exceed the 16-bit node length.
std::optional<std::vector<std::uint8_t>> BuildVersionBlock(const VersionBlockContent& content);

// "%04X%04X" of language and code page: the key of a string table.
std::string StringTableKey(std::uint16_t language, std::uint16_t codePage);

// A node's value found by a path.
struct VersionValue
{
    std::span<const std::uint8_t> Bytes;   // inside the block
    bool Text = false;                    // UTF-16 text, else binary
};

// Looks a path up in the block: components separated by '\', empty ones
// skipped, keys compared without regard to ASCII case; no components names the
// root. Nothing when the root is not a version block, a node on the way is
// missing, or any node on the way does not fit its parent or the block.
// Never reads outside block.
std::optional<VersionValue> FindVersionValue(std::span<const std::uint8_t> block, std::string_view path);

} // namespace platform
