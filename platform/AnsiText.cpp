#include "platform/AnsiText.h"

#include <QList>

#include <array>
#include <cstdint>
#include <utility>

namespace platform {
namespace {

// The characters of bytes 0x80 to 0x9F; the undefined ones keep their value.
constexpr std::array<char16_t, 32> HighControls = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

// Characters that word processors write for a blank or a hyphen and that the
// code page has no byte for take the plain one, as the Windows conversion does.
constexpr std::array<std::pair<char16_t, char>, 4> NearestBytes = {
    {{u'\u2002', ' '}, {u'\u2003', ' '}, {u'\u2010', '-'}, {u'\u2011', '-'}}};

constexpr char Unmapped = '?';

bool InHighControls(char32_t code) { return code >= 0x80 && code <= 0x9F; }

} // namespace

char16_t AnsiCharacter(std::uint8_t byte)
{
    return InHighControls(byte) ? HighControls[byte - 0x80] : char16_t(byte);
}

std::optional<std::uint8_t> AnsiByte(char32_t character)
{
    if (character <= 0xFF && !InHighControls(character))
        return static_cast<std::uint8_t>(character);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == character)
            return static_cast<std::uint8_t>(0x80 + i);
    }
    for (const auto& [nearCharacter, byte] : NearestBytes) {
        if (nearCharacter == character)
            return static_cast<std::uint8_t>(byte);
    }
    return std::nullopt;
}

QString AnsiToText(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(AnsiCharacter(static_cast<std::uint8_t>(byte)));
    return text;
}

QByteArray TextToAnsi(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t code : text.toUcs4())
        bytes += static_cast<char>(AnsiByte(code).value_or(Unmapped));
    return bytes;
}

} // namespace platform
