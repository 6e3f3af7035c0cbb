#include "platform/AnsiText.h"

#include <QList>

#include <array>
#include <cstdint>

namespace platform {
namespace {

// The characters of bytes 0x80 to 0x9F; the undefined ones keep their value.
constexpr std::array<char16_t, 32> HighControls = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

constexpr char Unmapped = '?';

bool InHighControls(char32_t code) { return code >= 0x80 && code <= 0x9F; }

char ByteOf(char32_t code)
{
    if (code < 0x80 || (code > 0x9F && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == code)
            return static_cast<char>(0x80 + i);
    }
    // A C1 control that no byte reads as, or a character beyond the code page.
    return Unmapped;
}

} // namespace

QString AnsiToText(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        *out++ = InHighControls(byte) ? QChar(HighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QByteArray TextToAnsi(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t code : text.toUcs4())
        bytes += ByteOf(code);
    return bytes;
}

} // namespace platform
