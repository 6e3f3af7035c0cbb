// The version reader on bytes it has never seen: as a block, as a well-formed
// block damaged by the input, and as a program image whose section table
// leads to a block.

#include "platform/ElfSection.h"
#include "platform/VersionBlock.h"
#include "platform/VersionInfo.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

namespace {

void QueryAll(std::span<const std::uint8_t> block)
{
    QByteArray value;
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\ProductName",
                             "\\StringFileInfo\\040904E4\\Comments", "StringFileInfo\\\\040904e4\\"})
        platform::VerQueryValue(block.data(), static_cast<std::uint32_t>(block.size()), QString::fromLatin1(path),
                                value);
}

// The input laid over a well-formed block, so damage reaches the deep nodes,
// and the block cut at the input's length when that is shorter.
void QueryDamagedBlock(std::span<const std::uint8_t> input)
{
    static const std::vector<std::uint8_t> wellFormed = [] {
        platform::VersionBlockContent content;
        content.Strings = {{"ProductName", "Communications Terminal"}, {"Comments", "x"}};
        return *platform::BuildVersionBlock(content);
    }();
    std::vector<std::uint8_t> block = wellFormed;
    for (std::size_t i = 0; i < input.size() && i < block.size(); ++i)
        block[i] ^= input[i];
    block.resize(std::min(block.size(), input.size()));
    QueryAll(block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    QueryAll(input);
    QueryDamagedBlock(input);
    if (const auto place = platform::FindElfSection(input, platform::VersionSectionName, platform::MaxVersionBlockSize))
        QueryAll(input.subspan(static_cast<std::size_t>(place->Offset), static_cast<std::size_t>(place->Size)));
    return 0;
}
