#include "platform/Conversions.h"

#include "platform/Exceptions.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

namespace {

struct Cursor
{
    const QString& Text;
    qsizetype Pos = 0;

    bool AtEnd() const { return Pos >= Text.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : Text.at(Pos); }
    bool Take(QChar c)
    {
        if (Peek() != c)
            return false;
        ++Pos;
        return true;
    }
    void SkipBlanks()
    {
        while (Take(QLatin1Char(' '))) {}
    }
};

int DigitValue(QChar c, int base)
{
    int value = base;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        value = c.unicode() - '0';
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        value = c.unicode() - 'a' + 10;
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        value = c.unicode() - 'A' + 10;
    return value < base ? value : -1;
}

int TakeBase(Cursor& in)
{
    if (in.Take(QLatin1Char('$')))
        return 16;
    if (in.Peek() == QLatin1Char('0') && in.Pos + 1 < in.Text.size()
        && (in.Text.at(in.Pos + 1) == QLatin1Char('x') || in.Text.at(in.Pos + 1) == QLatin1Char('X'))) {
        in.Pos += 2;
        return 16;
    }
    return 10;
}

// The digits' magnitude, or nothing when there is none or it passes limit.
std::optional<std::uint64_t> TakeMagnitude(Cursor& in, int base, std::uint64_t limit)
{
    std::uint64_t magnitude = 0;
    bool any = false;
    for (int digit; (digit = DigitValue(in.Peek(), base)) >= 0; ++in.Pos) {
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (magnitude > limit)
            return std::nullopt;
        any = true;
    }
    return any ? std::optional(magnitude) : std::nullopt;
}

bool TakeDigits(Cursor& in)
{
    const qsizetype start = in.Pos;
    while (DigitValue(in.Peek(), 10) >= 0)
        ++in.Pos;
    return in.Pos > start;
}

// The number part of a real-number text in the C form, or nothing.
std::optional<std::string> RealNumberText(const QString& text)
{
    Cursor in{text};
    in.SkipBlanks();
    const qsizetype start = in.Pos;
    if (!in.Take(QLatin1Char('-')))
        in.Take(QLatin1Char('+'));
    bool digits = TakeDigits(in);
    if (in.Take(QLatin1Char('.')))
        digits = TakeDigits(in) || digits;
    if (!digits)
        return std::nullopt;
    if (in.Take(QLatin1Char('e')) || in.Take(QLatin1Char('E'))) {
        if (!in.Take(QLatin1Char('-')))
            in.Take(QLatin1Char('+'));
        if (!TakeDigits(in))
            return std::nullopt;
    }
    const qsizetype end = in.Pos;
    in.SkipBlanks();
    if (!in.AtEnd())
        return std::nullopt;
    return text.mid(start, end - start).toStdString();
}

[[noreturn]] void ThrowNotFloat(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

std::optional<long double> ParseFloat(const QString& text)
{
    const auto number = RealNumberText(text);
    if (!number)
        return std::nullopt;
    // from_chars does not take a leading '+'; the C locale's strtold would
    // depend on the process locale, which Qt sets from the environment.
    const char* first = number->data();
    const char* last = first + number->size();
    if (*first == '+')
        ++first;
    long double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The value's 18 significant decimal digits and its decimal exponent
// (value = 0.d1d2... x 10^exponent), as the class library's float formatting
// takes them from an extended value before it rounds.
struct DecimalDigits
{
    std::string Digits;
    int Exponent = 0;
    bool Negative = false;
};

// Written without the C library's formatting, whose decimal point follows
// the locale that Qt takes from the desktop.
DecimalDigits ToDecimal(long double value)
{
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 17);
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    DecimalDigits result;
    result.Negative = text.front() == '-';
    const std::size_t exponent = text.find('e');
    for (const char c : text.substr(0, exponent))
        if (c != '-' && c != '.')
            result.Digits.push_back(c);
    std::string_view power = text.substr(exponent + 1);
    if (power.front() == '+')
        power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), result.Exponent);
    ++result.Exponent;
    return result;
}

// Rounds the digits, half away from zero, to the given number of decimals;
// returns the whole-number digits and the decimals.
std::string RoundedDigits(const DecimalDigits& number, int decimals)
{
    // Digits with the decimal point fixed 'decimals' places from the right.
    const int keep = number.Exponent + decimals;
    if (keep < 0)
        return std::string(static_cast<std::size_t>(decimals + 1), '0');
    std::string digits = number.Digits;
    digits.resize(std::max<std::size_t>(digits.size(), static_cast<std::size_t>(keep) + 1), '0');
    const bool roundUp = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    for (int i = keep - 1; roundUp && i >= -1; --i) {
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            break;
        }
        char& d = digits[static_cast<std::size_t>(i)];
        if (d == '9') {
            d = '0';
        } else {
            ++d;
            break;
        }
    }
    if (digits.size() < static_cast<std::size_t>(decimals) + 1)
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    return digits;
}

QString FixedText(long double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(static_cast<double>(value));
    const DecimalDigits number = ToDecimal(value);
    const std::string digits = RoundedDigits(number, decimals);
    const std::size_t whole = digits.size() - static_cast<std::size_t>(decimals);
    QString text = QString::fromLatin1(digits.data(), static_cast<qsizetype>(whole));
    if (decimals > 0)
        text += QLatin1Char('.') + QString::fromLatin1(digits.data() + whole, decimals);
    // A value that rounds to zero is shown without a sign.
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    return number.Negative && !zero ? QLatin1Char('-') + text : text;
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The text of one date-pattern letter run, or nothing when the run is no field.
std::optional<QString> DateField(const QString& run, const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    const QString lower = run.toLower();
    if (lower == QLatin1String("mm"))
        return TwoDigits(date.month());
    if (lower == QLatin1String("dd"))
        return TwoDigits(date.day());
    if (lower == QLatin1String("yy"))
        return TwoDigits(date.year() % 100);
    if (lower == QLatin1String("yyyy"))
        return QString::number(date.year());
    if (lower == QLatin1String("hh"))
        return TwoDigits(time.hour());
    if (lower == QLatin1String("nn"))
        return TwoDigits(time.minute());
    if (lower == QLatin1String("ss"))
        return TwoDigits(time.second());
    return std::nullopt;
}

} // namespace

std::optional<std::int32_t> ReadWholeNumber(const QString& text)
{
    Cursor in{text};
    in.SkipBlanks();
    const bool negative = in.Take(QLatin1Char('-'));
    if (!negative)
        in.Take(QLatin1Char('+'));
    const int base = TakeBase(in);
    // Hexadecimal texts may fill all 32 bits; decimal ones stop at the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    const auto magnitude = TakeMagnitude(in, base, limit);
    if (!magnitude || !in.AtEnd())
        return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(*magnitude);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

std::int32_t StrToInt(const QString& text)
{
    if (const auto value = ReadWholeNumber(text))
        return *value;
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

std::int32_t StrToIntDef(const QString& text, std::int32_t fallback)
{
    return ReadWholeNumber(text).value_or(fallback);
}

long double StrToFloat(const QString& text)
{
    if (const auto value = ParseFloat(text))
        return *value;
    ThrowNotFloat(text);
}

long double StrToFloatDef(const QString& text, long double fallback)
{
    return ParseFloat(text).value_or(fallback);
}

float StrToSingle(const QString& text)
{
    const long double value = StrToFloat(text);
    if (std::fabs(value) > std::numeric_limits<float>::max())
        ThrowNotFloat(text);
    return static_cast<float>(value);
}

QString FormatFloat(const QString& pattern, long double value)
{
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : static_cast<int>(pattern.size() - point - 1);
    return FixedText(value, decimals);
}

QString FormatFixed(long double value)
{
    return FixedText(value, 2);
}

QString FormatGeneral(double value)
{
    // to_chars, unlike the C library's %g, never looks at the process locale.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString Format4x(std::int32_t value)
{
    return QStringLiteral("%1").arg(static_cast<std::uint32_t>(value), 4, 16, QLatin1Char('0')).toUpper();
}

QString FormatDateTime(const QString& pattern, const QDateTime& when)
{
    QString text;
    for (qsizetype pos = 0; pos < pattern.size();) {
        qsizetype end = pos + 1;
        while (end < pattern.size() && pattern.at(end).toLower() == pattern.at(pos).toLower())
            ++end;
        const QString run = pattern.mid(pos, end - pos);
        text += DateField(run, when).value_or(run);
        pos = end;
    }
    return text;
}

void SplitTimeOfDay(const QTime& time, std::uint16_t& hour, std::uint16_t& minute,
                    std::uint16_t& second, std::uint16_t& millisecond)
{
    hour = static_cast<std::uint16_t>(time.hour());
    minute = static_cast<std::uint16_t>(time.minute());
    second = static_cast<std::uint16_t>(time.second());
    millisecond = static_cast<std::uint16_t>(time.msec());
}

QString TimeStampText(unsigned hour, unsigned minute, unsigned second, unsigned millisecond)
{
    return QStringLiteral("%1:%2:%3:%4").arg(hour).arg(minute).arg(second).arg(millisecond);
}

} // namespace platform
