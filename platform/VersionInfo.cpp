#include "platform/VersionInfo.h"

#include "platform/AnsiText.h"
#include "platform/ElfSection.h"
#include "platform/RegularFile.h"
#include "platform/VersionBlock.h"

#include <algorithm>
#include <optional>
#include <span>

namespace platform {

namespace {

thread_local std::uint32_t lastError = 0;

// Where the file keeps its version block; sets the last error when it keeps none.
std::optional<ElfSectionPlace> LocateBlock(const RegularFile& file)
{
    if (file.OpenError() != 0) {
        SetLastError(static_cast<std::uint32_t>(file.OpenError()));
        return std::nullopt;
    }
    const ElfReadAt read = [&file](std::uint64_t offset, std::span<std::uint8_t> out) {
        return file.ReadAt(offset, out);
    };
    const auto place = file.IsOpen() ? FindElfSection(read, file.Size(), VersionSectionName, MaxVersionBlockSize)
                                     : std::nullopt;
    if (!place || place->Size == 0) {
        SetLastError(VersionError::NoBlock);
        return std::nullopt;
    }
    return place;
}

// UTF-16 text up to its NUL as 8-bit text.
QByteArray EightBitText(std::span<const std::uint8_t> utf16)
{
    QByteArray text;
    for (std::size_t at = 0; at + 1 < utf16.size(); at += 2) {
        const unsigned unit = utf16[at] | (utf16[at + 1] << 8);
        if (unit == 0)
            break;
        text.append(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return text;
}

} // namespace

std::uint32_t GetLastError()
{
    return lastError;
}

void SetLastError(std::uint32_t error)
{
    lastError = error;
}

std::uint32_t GetFileVersionInfoSize(const QString& fileName)
{
    const RegularFile file(fileName);
    const auto place = LocateBlock(file);
    if (!place)
        return 0;
    SetLastError(0);
    return static_cast<std::uint32_t>(place->Size);
}

bool GetFileVersionInfo(const QString& fileName, std::uint32_t size, void* data)
{
    if (data == nullptr || size == 0) {
        SetLastError(VersionError::InvalidParameter);
        return false;
    }
    const RegularFile file(fileName);
    const auto place = LocateBlock(file);
    if (!place)
        return false;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, place->Size));
    if (!file.ReadAt(place->Offset, std::span(static_cast<std::uint8_t*>(data), count))) {
        SetLastError(VersionError::NoBlock);
        return false;
    }
    SetLastError(0);
    return true;
}

bool VerQueryValue(const void* block, std::uint32_t blockSize, const QString& subBlock, QByteArray& value)
{
    if (block == nullptr) {
        SetLastError(VersionError::InvalidParameter);
        return false;
    }
    const std::span bytes(static_cast<const std::uint8_t*>(block), blockSize);
    const QByteArray path = TextToAnsi(subBlock);
    const auto found = FindVersionValue(bytes, std::string_view(path.constData(), path.size()));
    if (!found) {
        SetLastError(VersionError::ValueNotFound);
        return false;
    }
    value = found->Text ? EightBitText(found->Bytes)
                        : QByteArray(reinterpret_cast<const char*>(found->Bytes.data()),
                                     static_cast<qsizetype>(found->Bytes.size()));
    return true;
}

} // namespace platform
