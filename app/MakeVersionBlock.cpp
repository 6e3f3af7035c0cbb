// Writes the version block that the build adds to the program file:
//   make-version-block <output file> <major.minor.release.build> [Key=Value ...]
// The version is both the file and the product version; each Key=Value becomes
// one string of the string table for language 0409, code page 04E4.

#include "platform/VersionBlock.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

namespace {

std::optional<platform::VersionBlockContent> ContentFromArguments(int argc, char** argv)
{
    platform::VersionBlockContent content;
    unsigned parts[4];
    char end = 0;
    if (std::sscanf(argv[2], "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &end) != 4)
        return std::nullopt;
    for (int i = 0; i < 4; ++i) {
        if (parts[i] > 0xFFFF)
            return std::nullopt;
        content.FileVersion[i] = content.ProductVersion[i] = static_cast<std::uint16_t>(parts[i]);
    }
    for (int i = 3; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos || equals == 0)
            return std::nullopt;
        content.Strings.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
    }
    return content;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: make-version-block <output> <a.b.c.d> [Key=Value ...]\n";
        return 2;
    }
    const auto content = ContentFromArguments(argc, argv);
    if (!content) {
        std::cerr << "make-version-block: a version of four numbers up to 65535 and Key=Value strings expected\n";
        return 2;
    }
    const auto block = platform::BuildVersionBlock(*content);
    if (!block) {
        std::cerr << "make-version-block: the strings do not fit in one version block\n";
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(block->data()), static_cast<std::streamsize>(block->size()));
    out.close();
    if (!out) {
        std::cerr << "make-version-block: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
