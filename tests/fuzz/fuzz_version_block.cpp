// The version reader on bytes it has never seen: as a block given to the
// queries, as a well-formed block damaged by the input, and as a program image
// whose section table leads to a block.

#include "platform/ElfSection.h"
#include "platform/VersionBlock.h"
#include "platform/VersionInfo.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

const QString Paths[] = {
    QStringLiteral("\\"),
    QStringLiteral("\\VarFileInfo\\Translation"),
    QStringLiteral("\\StringFileInfo\\040904E4\\ProductName"),
    QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion"),
    QStringLiteral("\\StringFileInfo\\040904E4\\Comments"),
    QStringLiteral("\\StringFileInfo\\040904E4\\PrivateBuild"),
    QStringLiteral("StringFileInfo\\\\040904e4\\"),
};

void QueryAll(std::span<const std::uint8_t> block)
{
    QByteArray value;
    for (const QString& path : Paths)
        platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), path, value);
}

const std::vector<std::uint8_t>& WellFormedBlock()
{
    static const std::vector<std::uint8_t> block = [] {
        platform::VersionBlockContent content;
        content.Strings = {{"ProductName", "Communications Terminal"}, {"FileVersion", "1.7.7.1"},
                           {"Comments", "x"}};
        return *platform::BuildVersionBlock(content);
    }();
    return block;
}

// The input laid over a well-formed block, so damage reaches the deep nodes,
// and the block cut at the input's length when that is shorter.
void QueryDamagedBlock(std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> block = WellFormedBlock();
    for (std::size_t i = 0; i < input.size() && i < block.size(); ++i)
        block[i] ^= input[i];
    if (input.size() < block.size())
        block.resize(input.size());
    QueryAll(block);
}

void QueryProgramImage(std::span<const std::uint8_t> image)
{
    const auto place = platform::FindElfSection(image, platform::VersionSectionName, platform::MaxVersionBlockSize);
    if (place)
        QueryAll(image.subspan(static_cast<std::size_t>(place->Offset), static_cast<std::size_t>(place->Size)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    QueryAll(input);
    QueryDamagedBlock(input);
    QueryProgramImage(input);
    return 0;
}
