#pragma once

#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

class QDateTime;

// The class library's conversions between numbers and text. Every window and
// file routine converts through these, so they read and write numbers exactly
// alike.
namespace platform {

// Reads a whole number strictly: blanks before it are skipped; an optional
// sign; decimal digits, or hexadecimal digits (either case) after "0x", "0X"
// or "$". Anything after the digits, blanks included, makes the text invalid,
// and so does a value outside 32 bits. A hexadecimal text may use all 32 bits
// ("0xFFFFFFFF" is -1). Throws EConvertError
// "'<text>' is not a valid integer value".
std::int32_t StrToInt(const QString& text);

// As StrToInt, but gives fallback for a text that is not a whole number.
std::int32_t StrToIntDef(const QString& text, std::int32_t fallback);

// As StrToInt, but nothing for a text that is not a whole number.
std::optional<std::int32_t> ReadWholeNumber(const QString& text);

// Reads a real number: blanks at either end, an optional sign, digits with an
// optional '.', an optional exponent ("e" or "E", optional sign, digits).
// Throws EConvertError "'<text>' is not a valid floating point value".
long double StrToFloat(const QString& text);

// As StrToFloat, but gives fallback for a text that is not a real number.
long double StrToFloatDef(const QString& text, long double fallback);

// As StrToFloat, for a single-precision variable: a value beyond its range is
// no valid value either, rather than an infinity that later reaches a command
// or a file.
float StrToSingle(const QString& text);

// The float patterns "0.00" and "0.0": fixed point with as many decimals as
// the pattern has characters after its '.', rounded half away from zero on the
// value's decimal digits (0.125 gives "0.13", 45.06 gives "45.1").
QString FormatFloat(const QString& pattern, long double value);

// "%f": fixed point with two decimals, rounded as FormatFloat rounds.
QString FormatFixed(long double value);

// The default stream format of a real number: at most six significant
// digits, no trailing zeros and no point for a whole value (20 gives "20",
// 45.06 gives "45.06", 1234567 gives "1.23457e+06").
QString FormatGeneral(double value);

// "%4.4x": at least four hexadecimal digits, upper case, zero padded on the
// left; a negative value shows its 32-bit pattern.
QString Format4x(std::int32_t value);

// Date formatting with the pattern letters mm (month), dd (day), yy (two-digit
// year) or yyyy, hh (hour), nn (minutes) and ss (seconds), all two digits;
// any other character is copied as it is ("mmddyy_hhnnss" -> "031524_090507").
QString FormatDateTime(const QString& pattern, const QDateTime& when);

// The time stamp of the send road and the log: hour, minute, second and
// millisecond without leading zeros, joined by ':' (9:5:7:45).
QString TimeStampText(unsigned hour, unsigned minute, unsigned second, unsigned millisecond);

// The time of day as the port object's send and receive time fields hold it.
void SplitTimeOfDay(const QTime& time, std::uint16_t& hour, std::uint16_t& minute,
                    std::uint16_t& second, std::uint16_t& millisecond);

} // namespace platform
