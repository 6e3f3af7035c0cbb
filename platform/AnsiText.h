#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The program's 8-bit text is the Windows code page 1252: the wire, every file
// it reads or writes and every reply. These two are the only way bytes become
// text and text becomes bytes.
namespace platform {

// Every byte has its character; the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the code points of the same value,
// so any byte read and written again comes back unchanged.
QString AnsiToText(QByteArrayView bytes);

// The character of one byte, as AnsiToText reads it.
char16_t AnsiCharacter(std::uint8_t byte);

// The byte of one character, or nothing for a character the code page cannot
// hold. The en and em spaces and the hyphens that word processors write take
// the plain blank and hyphen.
std::optional<std::uint8_t> AnsiByte(char32_t character);

// A character the code page cannot hold becomes '?', one for each character
// (a pair of surrogates is one character).
QByteArray TextToAnsi(QStringView text);

} // namespace platform
