#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using namespace platform;

namespace {

// The conversion error's message, or "no error".
template <typename Convert>
QString ErrorOf(Convert convert, const QString& text)
{
    try {
        convert(text);
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return QStringLiteral("no error");
}

} // namespace

TEST(StrToInt, ReadsDecimalAndHexadecimalOverTheWhole32BitRange)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"42", 42}, {"   42", 42}, {"-17", -17}, {"+5", 5}, {"007", 7}, {"0x100", 256}, {"0X0D", 13},
        {"0x0a", 10}, {"0xfF", 255}, {"$1A", 26}, {"-0x10", -16}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"0xFFFFFFFF", -1}, {"0x7fffffff", 2147483647}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrToInt(QString::fromLatin1(text)), value) << text;
}

TEST(StrToInt, RejectsAnythingElseNamingTheTextAsGiven)
{
    for (const char* text : {"", "42 ", "0x0D,0A", "0x", "-", "+", " ", "1.5", "12a", "0xG", "0x1 ", "\t5", "--1",
                             "1e3", "x10", "2147483648", "-2147483649", "0x100000000", "99999999999999999999"})
        EXPECT_EQ(ErrorOf(StrToInt, QString::fromLatin1(text)),
                  QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    EXPECT_EQ(StrToIntDef("-3", 7), -3);
    EXPECT_EQ(StrToIntDef("-", 7), 7);
    EXPECT_EQ(StrToIntDef(QString(), 1), 1);
}

TEST(StrToFloat, ReadsTheFormsOfARealNumberInExtendedPrecision)
{
    const std::pair<const char*, long double> cases[] = {{"2.5", 2.5L}, {" 2.5 ", 2.5L}, {"-0.25", -0.25L},
                                                         {"+3", 3.0L},  {".5", 0.5L},    {"5.", 5.0L},
                                                         {"1e3", 1e3L}, {"2.5E-1", 0.25L}, {"0.1", 0.1L}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrToFloat(QString::fromLatin1(text)), value) << text;
    // 0.1 read as a double would differ from the extended value.
    EXPECT_NE(StrToFloat("0.1"), static_cast<long double>(0.1));
}

TEST(StrToFloat, RejectsAnythingElseNamingTheTextAsGiven)
{
    for (const char* text : {"", "4,5", ".", "-", "abc", "1.2.3", "1e", "1e+", "0x10", "inf", "nan", "1e5000", "1 2"})
        EXPECT_EQ(ErrorOf(StrToFloat, QString::fromLatin1(text)),
                  QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromLatin1(text)));
    EXPECT_EQ(StrToFloatDef("x", 1.5L), 1.5L);
    EXPECT_EQ(StrToFloatDef("7.25", 1.5L), 7.25L);
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

TEST(FixedFormats, TwoDecimalsFourHexDigitsTimeStampsAndTheLogFileStamp)
{
    EXPECT_EQ(FormatFixed(1.5L), "1.50");
    EXPECT_EQ(FormatFixed(265.0L / 1000.0L), "0.27");
    EXPECT_EQ(FormatFixed(-3.14159L), "-3.14");
    EXPECT_EQ(Format4x(1723), "06BB");
    EXPECT_EQ(Format4x(0x12345), "12345");
    EXPECT_EQ(Format4x(-1), "FFFFFFFF");
    EXPECT_EQ(TimeStampText(9, 5, 7, 45), "9:5:7:45");
    EXPECT_EQ(TimeStampText(10, 0, 30, 5), "10:0:30:5");
    EXPECT_EQ(FormatDateTime("mmddyy_hhnnss", QDateTime(QDate(2024, 3, 15), QTime(9, 5, 7))), "031524_090507");
    EXPECT_EQ(FormatDateTime("mmddyy_hhnnss", QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59, 999))),
              "123100_235959");
}
