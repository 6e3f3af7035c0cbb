#include "platform/VersionBlock.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace platform {

namespace {

constexpr std::size_t NodeHeaderSize = 6;
constexpr std::size_t MaxNodeLength = 0xFFFF;
constexpr std::uint16_t TextType = 1;
constexpr std::uint16_t BinaryType = 0;
constexpr char RootKey[] = "VS_VERSION_INFO";

std::size_t AlignUp(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

// ---- writing ----

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

void PadTo32Bits(std::vector<std::uint8_t>& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

// Latin-1 text widened to UTF-16 with its terminating NUL.
std::vector<std::uint8_t> WideText(std::string_view text)
{
    std::vector<std::uint8_t> out;
    for (const char c : text)
        PutU16(out, static_cast<std::uint8_t>(c));
    PutU16(out, 0);
    return out;
}

struct NodeValue
{
    std::vector<std::uint8_t> Bytes;
    std::uint16_t Length = 0;    // as the node header counts it
    std::uint16_t Type = TextType;
};

NodeValue TextValue(std::string_view text)
{
    NodeValue value{WideText(text), 0, TextType};
    value.Length = static_cast<std::uint16_t>(value.Bytes.size() / 2);
    return value;
}

NodeValue BinaryValue(std::vector<std::uint8_t> bytes)
{
    const auto length = static_cast<std::uint16_t>(bytes.size());
    return NodeValue{std::move(bytes), length, BinaryType};
}

// A node laid out from offset 0; its length field is only right while the node
// stays within MaxNodeLength, which the caller checks once at the root (every
// child is shorter than its root).
std::vector<std::uint8_t> WriteNode(std::string_view key, const NodeValue& value,
                                    const std::vector<std::vector<std::uint8_t>>& children = {})
{
    std::vector<std::uint8_t> out;
    PutU16(out, 0);
    PutU16(out, value.Length);
    PutU16(out, value.Type);
    const std::vector<std::uint8_t> wideKey = WideText(key);
    out.insert(out.end(), wideKey.begin(), wideKey.end());
    PadTo32Bits(out);
    out.insert(out.end(), value.Bytes.begin(), value.Bytes.end());
    for (const auto& child : children) {
        PadTo32Bits(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    const auto length = static_cast<std::uint16_t>(out.size());
    out[0] = static_cast<std::uint8_t>(length & 0xFF);
    out[1] = static_cast<std::uint8_t>(length >> 8);
    return out;
}

std::uint32_t HighLow(std::uint16_t high, std::uint16_t low)
{
    return (std::uint32_t{high} << 16) | low;
}

FixedFileInfo FixedInfoFor(const VersionBlockContent& content)
{
    constexpr std::uint32_t StrucVersion1 = 0x00010000;
    constexpr std::uint32_t AllKnownFlags = 0x3F;
    constexpr std::uint32_t ApplicationType = 1;
    FixedFileInfo info;
    info.Signature = FixedFileInfo::SignatureValue;
    info.StrucVersion = StrucVersion1;
    info.FileVersionMS = HighLow(content.FileVersion[0], content.FileVersion[1]);
    info.FileVersionLS = HighLow(content.FileVersion[2], content.FileVersion[3]);
    info.ProductVersionMS = HighLow(content.ProductVersion[0], content.ProductVersion[1]);
    info.ProductVersionLS = HighLow(content.ProductVersion[2], content.ProductVersion[3]);
    info.FileFlagsMask = AllKnownFlags;
    info.FileType = ApplicationType;
    return info;
}

std::vector<std::uint8_t> StringFileInfoNode(const VersionBlockContent& content)
{
    std::vector<std::vector<std::uint8_t>> strings;
    for (const auto& [key, text] : content.Strings)
        strings.push_back(WriteNode(key, TextValue(text)));
    const auto table = WriteNode(StringTableKey(content.Language, content.CodePage), NodeValue{}, strings);
    return WriteNode("StringFileInfo", NodeValue{}, {table});
}

std::vector<std::uint8_t> VarFileInfoNode(const VersionBlockContent& content)
{
    std::vector<std::uint8_t> translation;
    PutU16(translation, content.Language);
    PutU16(translation, content.CodePage);
    const auto var = WriteNode("Translation", BinaryValue(std::move(translation)));
    return WriteNode("VarFileInfo", NodeValue{}, {var});
}

// ---- reading ----

std::uint16_t U16At(std::span<const std::uint8_t> block, std::size_t at)
{
    return static_cast<std::uint16_t>(LittleEndianAt(block, at, 2));
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(LittleEndianAt(bytes, at, 4));
}

struct Node
{
    std::size_t KeyStart = 0;
    std::size_t KeyUnits = 0;
    VersionValue Value;
    std::size_t ChildrenStart = 0;
    std::size_t End = 0;
};

// Offset of the key's terminating NUL, or nothing when the key runs past end.
std::optional<std::size_t> KeyEnd(std::span<const std::uint8_t> block, std::size_t keyStart, std::size_t end)
{
    for (std::size_t at = keyStart; end - at >= 2; at += 2) {
        if (U16At(block, at) == 0)
            return at;
    }
    return std::nullopt;
}

// The node at start, which must lie wholly below limit.
std::optional<Node> ReadNode(std::span<const std::uint8_t> block, std::size_t start, std::size_t limit)
{
    if (start > limit || limit - start < NodeHeaderSize)
        return std::nullopt;
    const std::size_t length = U16At(block, start);
    const std::uint16_t valueLength = U16At(block, start + 2);
    const std::uint16_t type = U16At(block, start + 4);
    if (length < NodeHeaderSize || length > limit - start || type > TextType)
        return std::nullopt;

    Node node;
    node.End = start + length;
    node.KeyStart = start + NodeHeaderSize;
    const auto keyEnd = KeyEnd(block, node.KeyStart, node.End);
    if (!keyEnd)
        return std::nullopt;
    node.KeyUnits = (*keyEnd - node.KeyStart) / 2;

    const bool text = type == TextType;
    const std::size_t valueBytes = text ? std::size_t{valueLength} * 2 : valueLength;
    const std::size_t valueStart = std::min(AlignUp(*keyEnd + 2), node.End);
    if (valueBytes > node.End - valueStart)
        return std::nullopt;
    node.Value = VersionValue{block.subspan(valueStart, valueBytes), text};
    node.ChildrenStart = std::min(AlignUp(valueStart + valueBytes), node.End);
    return node;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool KeyIs(std::span<const std::uint8_t> block, const Node& node, std::string_view name)
{
    if (node.KeyUnits != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint16_t unit = U16At(block, node.KeyStart + 2 * i);
        if (unit >= 0x80 || AsciiLower(static_cast<char>(unit)) != AsciiLower(name[i]))
            return false;
    }
    return true;
}

std::optional<Node> FindChild(std::span<const std::uint8_t> block, const Node& parent, std::string_view name)
{
    std::size_t at = parent.ChildrenStart;
    while (at < parent.End) {
        const auto child = ReadNode(block, at, parent.End);
        if (!child)
            return std::nullopt;
        if (KeyIs(block, *child, name))
            return child;
        at = AlignUp(child->End);
    }
    return std::nullopt;
}

std::vector<std::string_view> PathComponents(std::string_view path)
{
    std::vector<std::string_view> components;
    while (!path.empty()) {
        const std::size_t separator = path.find('\\');
        const std::string_view component = path.substr(0, separator);
        if (!component.empty())
            components.push_back(component);
        if (separator == std::string_view::npos)
            break;
        path.remove_prefix(separator + 1);
    }
    return components;
}

} // namespace

FixedFileInfo FixedFileInfo::FromBytes(std::span<const std::uint8_t> bytes)
{
    std::array<std::uint32_t, 13> words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = U32At(bytes, 4 * i);
    return FixedFileInfo{words[0], words[1], words[2], words[3], words[4], words[5], words[6],
                         words[7], words[8], words[9], words[10], words[11], words[12]};
}

std::vector<std::uint8_t> FixedFileInfo::ToBytes() const
{
    std::vector<std::uint8_t> out;
    for (const std::uint32_t word : {Signature, StrucVersion, FileVersionMS, FileVersionLS, ProductVersionMS,
                                     ProductVersionLS, FileFlagsMask, FileFlags, FileOS, FileType, FileSubtype,
                                     FileDateMS, FileDateLS})
        PutU32(out, word);
    return out;
}

std::string StringTableKey(std::uint16_t language, std::uint16_t codePage)
{
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", unsigned{language}, unsigned{codePage});
    return key;
}

std::optional<std::vector<std::uint8_t>> BuildVersionBlock(const VersionBlockContent& content)
{
    auto root = WriteNode(RootKey, BinaryValue(FixedInfoFor(content).ToBytes()),
                          {StringFileInfoNode(content), VarFileInfoNode(content)});
    if (root.size() > MaxNodeLength)
        return std::nullopt;
    PadTo32Bits(root);
    return root;
}

std::optional<VersionValue> FindVersionValue(std::span<const std::uint8_t> block, std::string_view path)
{
    auto node = ReadNode(block, 0, block.size());
    if (!node || !KeyIs(block, *node, RootKey))
        return std::nullopt;
    for (const std::string_view component : PathComponents(path)) {
        node = FindChild(block, *node, component);
        if (!node)
            return std::nullopt;
    }
    return node->Value;
}

} // namespace platform
