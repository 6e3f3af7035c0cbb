#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace platform;

namespace {

// The value read, or the conversion error's message.
template <typename Convert>
QString Outcome(Convert convert, const char* text)
{
    try {
        return QString::number(static_cast<double>(convert(QString::fromLatin1(text))), 'g', 17);
    } catch (const EConvertError& e) {
        return e.Message;
    }
}

} // namespace

TEST(StrToInt, ReadsDecimalAndHexadecimalOverTheWhole32BitRangeAndNothingElse)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"42", 42}, {"   42", 42}, {"-17", -17}, {"+5", 5}, {"007", 7}, {"0x100", 256}, {"0X0D", 13}, {"0x0a", 10},
        {"0xfF", 255}, {"$1A", 26}, {"-0x10", -16}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"0xFFFFFFFF", -1}, {"0x7fffffff", 2147483647}, {"", {}}, {"42 ", {}}, {"0x0D,0A", {}}, {"0x", {}}, {"-", {}},
        {"+", {}}, {" ", {}}, {"1.5", {}}, {"12a", {}}, {"0xG", {}}, {"\t5", {}}, {"--1", {}}, {"1e3", {}},
        {"x10", {}}, {"2147483648", {}}, {"-2147483649", {}}, {"0x100000000", {}}, {"99999999999999999999", {}}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(Outcome(StrToInt, text), value ? QString::number(*value)
                                                 : QStringLiteral("'%1' is not a valid integer value").arg(text));
        EXPECT_EQ(StrToIntDef(QString::fromLatin1(text), 7), value.value_or(7)) << text;
    }
}

TEST(StrToFloat, ReadsTheFormsOfARealNumberInExtendedPrecisionAndNothingElse)
{
    const std::pair<const char*, std::optional<long double>> cases[] = {
        {"2.5", 2.5L}, {" 2.5 ", 2.5L}, {"-0.25", -0.25L}, {"+3", 3.0L}, {".5", 0.5L}, {"5.", 5.0L}, {"1e3", 1e3L},
        {"2.5E-1", 0.25L}, {"0.1", 0.1L}, {"", {}}, {"4,5", {}}, {".", {}}, {"-", {}}, {"abc", {}}, {"1.2.3", {}},
        {"1e", {}}, {"1e+", {}}, {"0x10", {}}, {"inf", {}}, {"nan", {}}, {"1e5000", {}}, {"1 2", {}}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(StrToFloatDef(QString::fromLatin1(text), 1.5L), value.value_or(1.5L)) << text;
        if (!value) {
            EXPECT_EQ(Outcome(StrToFloat, text), QStringLiteral("'%1' is not a valid floating point value").arg(text));
        }
    }
    // 0.1 read as a double would differ from the extended value.
    EXPECT_NE(StrToFloat("0.1"), static_cast<long double>(0.1));
}

TEST(StrToSingle, ReadsWithinSinglePrecisionsRangeOnly)
{
    const std::pair<const char*, QString> cases[] = {
        {" 45.06", QString::number(45.06f, 'g', 17)}, {"-3.4e38", QString::number(-3.4e38f, 'g', 17)},
        {"1e-50", "0"}, {"3.5e38", {}}, {"-1e39", {}}, {"", {}}, {"35+", {}}};
    for (const auto& [text, read] : cases) {
        EXPECT_EQ(Outcome(StrToSingle, text),
                  read.isNull() ? QStringLiteral("'%1' is not a valid floating point value").arg(text) : read);
    }
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalDigits)
{
    const std::tuple<const char*, long double, const char*> cases[] = {
        {"0.00", 0.125L, "0.13"}, {"0.0", 0.25L, "0.3"}, {"0.0", -1.25L, "-1.3"}, {"0.0", 45.06f, "45.1"},
        {"0.0", 0.05f, "0.1"},
        // The double nearest 2.675 lies below it; the extended one rounds to it.
        {"0.00", static_cast<long double>(2.675), "2.67"}, {"0.00", 2.675L, "2.68"},
        // Carries into a new digit, pads, and never shows a negative zero.
        {"0.00", 9.999L, "10.00"}, {"0.00", 0.001L, "0.00"}, {"0.00", 0.005L, "0.01"}, {"0.0", -0.04L, "0.0"},
        {"0.0", 45.0L, "45.0"}, {"0.0", 123456.789L, "123456.8"}, {"0.00", 1e20L, "100000000000000000000.00"}};
    for (const auto& [pattern, value, text] : cases)
        EXPECT_EQ(FormatFloat(pattern, value), text) << pattern << ' ' << static_cast<double>(value);
}

TEST(FormatGeneral, SixSignificantDigitsWithoutTrailingZeros)
{
    const std::tuple<double, const char*> cases[] = {
        {20.0, "20"}, {13.0, "13"}, {45.06f, "45.06"}, {99.9f, "99.9"}, {22.5, "22.5"}, {0.0, "0"},
        {-0.5, "-0.5"}, {100.05f, "100.05"}, {123456.0, "123456"}, {1234567.0, "1.23457e+06"},
        {0.0001, "0.0001"}, {0.00001, "1e-05"}, {1.0f / 3.0f, "0.333333"}, {999999.5, "1e+06"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatGeneral(value), text) << value;
}

TEST(FixedFormats, TwoDecimalsFourHexDigitsTimeStampsAndTheLogFileStamp)
{
    EXPECT_EQ((QStringList{FormatFixed(1.5L), FormatFixed(265.0L / 1000.0L), FormatFixed(-3.14159L)}),
              (QStringList{"1.50", "0.27", "-3.14"}));
    EXPECT_EQ((QStringList{Format4x(1723), Format4x(0x12345), Format4x(-1)}),
              (QStringList{"06BB", "12345", "FFFFFFFF"}));
    EXPECT_EQ((QStringList{TimeStampText(9, 5, 7, 45), TimeStampText(10, 0, 30, 5)}),
              (QStringList{"9:5:7:45", "10:0:30:5"}));
    EXPECT_EQ(FormatDateTime("mmddyy_hhnnss", QDateTime(QDate(2024, 3, 15), QTime(9, 5, 7))), "031524_090507");
    EXPECT_EQ(FormatDateTime("mmddyy_hhnnss", QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59, 999))),
              "123100_235959");
}
