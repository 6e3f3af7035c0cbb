#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include <QDateTime>

#include <gtest/gtest.h>

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

QString IntError(const QString& text)
{
    return ErrorOf(StrToInt, text);
}

QString FloatError(const QString& text)
{
    return ErrorOf(StrToFloat, text);
}

} // namespace

TEST(StrToInt, ReadsDecimalWithSignAndLeadingBlanks)
{
    EXPECT_EQ(StrToInt(QStringLiteral("42")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("   42")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("-17")), -17);
    EXPECT_EQ(StrToInt(QStringLiteral("+5")), 5);
    EXPECT_EQ(StrToInt(QStringLiteral("007")), 7);
}

TEST(StrToInt, ReadsHexadecimalInEitherCase)
{
    EXPECT_EQ(StrToInt(QStringLiteral("0x100")), 256);
    EXPECT_EQ(StrToInt(QStringLiteral("0X0D")), 13);
    EXPECT_EQ(StrToInt(QStringLiteral("0x0a")), 10);
    EXPECT_EQ(StrToInt(QStringLiteral("0xfF")), 255);
    EXPECT_EQ(StrToInt(QStringLiteral("$1A")), 26);
    EXPECT_EQ(StrToInt(QStringLiteral("-0x10")), -16);
}

TEST(StrToInt, KeepsTheWholeThirtyTwoBitRange)
{
    EXPECT_EQ(StrToInt(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(StrToInt(QStringLiteral("-2147483648")), -2147483647 - 1);
    EXPECT_EQ(StrToInt(QStringLiteral("0xFFFFFFFF")), -1);
    EXPECT_EQ(StrToInt(QStringLiteral("0x7fffffff")), 2147483647);
}

TEST(StrToInt, RejectsWithTheTextAsGiven)
{
    EXPECT_EQ(IntError(QString()), QStringLiteral("'' is not a valid integer value"));
    EXPECT_EQ(IntError(QStringLiteral("42 ")), QStringLiteral("'42 ' is not a valid integer value"));
    EXPECT_EQ(IntError(QStringLiteral("0x0D,0A")), QStringLiteral("'0x0D,0A' is not a valid integer value"));
    EXPECT_EQ(IntError(QStringLiteral("0x")), QStringLiteral("'0x' is not a valid integer value"));
}

TEST(StrToInt, RejectsMalformedAndOutOfRangeTexts)
{
    for (const char* text : {"-", "+", " ", "1.5", "12a", "0xG", "0x1 ", "\t5", "--1", "1e3", "x10",
                             "2147483648", "-2147483649", "0x100000000", "99999999999999999999"})
        EXPECT_THROW(StrToInt(QString::fromLatin1(text)), EConvertError) << text;
}

TEST(StrToIntDef, GivesTheDefaultForAnythingButAWholeNumber)
{
    EXPECT_EQ(StrToIntDef(QStringLiteral("12"), 7), 12);
    EXPECT_EQ(StrToIntDef(QStringLiteral("-"), 7), 7);
    EXPECT_EQ(StrToIntDef(QString(), 1), 1);
    EXPECT_EQ(StrToIntDef(QStringLiteral("abc"), 0), 0);
    EXPECT_EQ(StrToIntDef(QStringLiteral("-3"), 0), -3);
}

TEST(StrToFloat, ReadsTheFormsOfARealNumber)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("2.5")), 2.5L);
    EXPECT_EQ(StrToFloat(QStringLiteral(" 2.5 ")), 2.5L);
    EXPECT_EQ(StrToFloat(QStringLiteral("-0.25")), -0.25L);
    EXPECT_EQ(StrToFloat(QStringLiteral("+3")), 3.0L);
    EXPECT_EQ(StrToFloat(QStringLiteral(".5")), 0.5L);
    EXPECT_EQ(StrToFloat(QStringLiteral("5.")), 5.0L);
    EXPECT_EQ(StrToFloat(QStringLiteral("1e3")), 1000.0L);
    EXPECT_EQ(StrToFloat(QStringLiteral("2.5E-1")), 0.25L);
}

TEST(StrToFloat, ReadsInExtendedPrecision)
{
    // 0.1 as a double differs from 0.1 as an extended value.
    EXPECT_EQ(StrToFloat(QStringLiteral("0.1")), 0.1L);
    EXPECT_NE(StrToFloat(QStringLiteral("0.1")), static_cast<long double>(0.1));
}

TEST(StrToFloat, RejectsWithTheTextAsGiven)
{
    EXPECT_EQ(FloatError(QString()), QStringLiteral("'' is not a valid floating point value"));
    EXPECT_EQ(FloatError(QStringLiteral("4,5")), QStringLiteral("'4,5' is not a valid floating point value"));
    for (const char* text : {".", "-", "abc", "1.2.3", "1e", "1e+", "0x10", "inf", "nan", "1e5000", "1 2"})
        EXPECT_THROW(StrToFloat(QString::fromLatin1(text)), EConvertError) << text;
    EXPECT_EQ(StrToFloatDef(QStringLiteral("x"), 1.5L), 1.5L);
    EXPECT_EQ(StrToFloatDef(QStringLiteral("7.25"), 1.5L), 7.25L);
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalDigits)
{
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 0.125L), QStringLiteral("0.13"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 0.25L), QStringLiteral("0.3"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), -1.25L), QStringLiteral("-1.3"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 45.06f), QStringLiteral("45.1"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 0.05f), QStringLiteral("0.1"));
    // The double nearest 2.675 lies below it; the extended one rounds to it.
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), static_cast<long double>(2.675)), QStringLiteral("2.67"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 2.675L), QStringLiteral("2.68"));
}

TEST(FormatFloat, CarriesPadsAndDropsTheSignOfZero)
{
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 9.999L), QStringLiteral("10.00"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 0.0L), QStringLiteral("0.0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 0.001L), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 0.005L), QStringLiteral("0.01"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), -0.04L), QStringLiteral("0.0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 45.0L), QStringLiteral("45.0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 123456.789L), QStringLiteral("123456.8"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00"), 1e20L), QStringLiteral("100000000000000000000.00"));
}

TEST(FormatFixed, GivesTwoDecimals)
{
    EXPECT_EQ(FormatFixed(1.5L), QStringLiteral("1.50"));
    EXPECT_EQ(FormatFixed(0.0L), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFixed(265.0L / 1000.0L), QStringLiteral("0.27"));
    EXPECT_EQ(FormatFixed(-3.14159L), QStringLiteral("-3.14"));
}

TEST(Format4x, GivesAtLeastFourUpperCaseDigits)
{
    EXPECT_EQ(Format4x(1723), QStringLiteral("06BB"));
    EXPECT_EQ(Format4x(0), QStringLiteral("0000"));
    EXPECT_EQ(Format4x(0xABCD), QStringLiteral("ABCD"));
    EXPECT_EQ(Format4x(0x12345), QStringLiteral("12345"));
    EXPECT_EQ(Format4x(-1), QStringLiteral("FFFFFFFF"));
}

TEST(FormatDateTime, WritesTheLogFileStamp)
{
    const QDateTime morning(QDate(2024, 3, 15), QTime(9, 5, 7));
    EXPECT_EQ(FormatDateTime(QStringLiteral("mmddyy_hhnnss"), morning), QStringLiteral("031524_090507"));
    const QDateTime lastSecond(QDate(2000, 12, 31), QTime(23, 59, 59, 999));
    EXPECT_EQ(FormatDateTime(QStringLiteral("mmddyy_hhnnss"), lastSecond), QStringLiteral("123100_235959"));
}

TEST(TimeStampText, JoinsTheFieldsWithoutLeadingZeros)
{
    EXPECT_EQ(TimeStampText(9, 5, 7, 45), QStringLiteral("9:5:7:45"));
    EXPECT_EQ(TimeStampText(0, 0, 0, 0), QStringLiteral("0:0:0:0"));
    EXPECT_EQ(TimeStampText(23, 59, 59, 999), QStringLiteral("23:59:59:999"));
    EXPECT_EQ(TimeStampText(10, 0, 30, 5), QStringLiteral("10:0:30:5"));
}
