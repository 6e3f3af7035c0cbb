#include "panels/TessalineLanguage.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaline;

TEST(TessalineLanguage, IlluminatorLevelsAndPercents)
{
    // The read-back percent is the integer quotient for every level an instrument reports.
    for (std::int32_t level = 0; level <= 255; ++level)
        EXPECT_EQ(LEDPercent(level), level * 100 / 255) << level;
    EXPECT_EQ(std::tuple(LEDPercent(-1), LEDPercent(0x7FFFFFFF)), std::tuple(0, 842150400));
    struct Case { std::int32_t Value; std::int32_t Level; std::int32_t Stored; };
    for (const Case& c : {Case{0, 0, 0}, Case{1, 2, 0}, Case{10, 25, 3}, Case{25, 63, 9}, Case{35, 89, 13},
                          Case{50, 127, 19}, Case{75, 191, 29}, Case{99, 252, 38}, Case{100, 255, 39},
                          Case{128, 327, 50}, Case{90, 229, 35}, Case{255, 651, 99}, Case{-5, -12, -1}}) {
        EXPECT_EQ(LEDLevel(c.Value), c.Level) << c.Value;
        EXPECT_EQ(StoredLEDPercent(c.Value), c.Stored) << c.Value;
    }
    // A stored level goes out as it is where its bar stands for it.
    struct Kept { std::int32_t Stored; std::int32_t Percent; std::int32_t Sent; };
    for (const Kept& c : {Kept{128, 50, 128}, Kept{127, 49, 127}, Kept{128, 49, 125}, Kept{255, 99, 255},
                          Kept{3, 1, 3}, Kept{0, 0, 0}, Kept{256, 100, 255}, Kept{-1, 0, 0}, Kept{90, 36, 91}})
        EXPECT_EQ(StoredLEDLevel(c.Stored, c.Percent), c.Sent) << c.Stored << " " << c.Percent;
}

TEST(TessalineLanguage, ConfigurationLinesReadOnlyWhatTheirControlsTake)
{
    struct Case { const char* Name; QByteArray Contents; Configuration Read; };
    const Case cases[] = {
        {"default", "0,100\r\n0\r\n0\r\n0\r\n0\r\n0\r\n50\r\n0\r\n128\r\n90\r\n1,2500.00,2500.00\r\n0\r\n", {}},
        {"every field", "1,250\r\n1\r\n1\r\n4\r\n2\r\n12\r\n7\r\n-30\r\n200\r\n5\r\n50,30.00,40.00\r\n-45\r\n",
         {1, 250, 1, 1, 4, 2, 12, 7, -30, 200, 5, QStringLiteral("50,30.00,40.00"), -45}},
        {"line ends and blanks", " 0,100 \n\t0\n0\n3\r\r\n0\n0\n50\n0\n128\n90\n  1,2500.00,2500.00\t\n0",
         {0, 100, 0, 0, 3, 0, 0, 50, 0, 128, 90, QStringLiteral("1,2500.00,2500.00"), 0}},
        {"line 1 without a comma, the rest missing", "500\r\n", {0, 100, 0, 0, 0, 0, 0, 50, 0, 128, 90, QString(), 0}},
        {"at the ends of the ranges",
         "1,1000\r\n1\r\n1\r\n5\r\n-1\r\n1000\r\n50\r\n-90\r\n255\r\n0\r\n100,60.00,60.00\r\n45\r\n",
         {1, 1000, 1, 1, 5, -1, 1000, 50, -90, 255, 0, QStringLiteral("100,60.00,60.00"), 45}},
        {"outside the controls' ranges, indexes that name no item",
         "7,1001\r\n3\r\n2\r\n6\r\n-2\r\n1001\r\n51\r\n91\r\n256\r\n-1\r\n1,,\r\n46\r\n",
         {0, 100, 0, 0, -1, -1, 0, 50, 0, 128, 90, QStringLiteral("1,,"), 0}},
        {"no whole numbers", "a,b\r\nx\r\n1.5\r\n-\r\n\r\n12abc\r\n0x\r\n$\r\nFF\r\n9999999999\r\nabc\r\n--1\r\n",
         {0, 100, 0, 0, 0, 0, 0, 50, 0, 128, 90, QStringLiteral("abc"), 0}},
        {"more than the number, signs and blanks", "1,5;LC:FL 3\r\n+1\r\n 1\r\n1 \r\n1e0\r\n-0\r\n",
         {1, 100, 1, 1, 1, 0, 0, 50, 0, 128, 90, QString(), 0}},
        {"hexadecimal numbers", "0x1,$64\r\n0\r\n0\r\n$2\r\n0X1\r\n0x20\r\n$10\r\n$10\r\n0xFF\r\n$5A\r\n\r\n-$2D\r\n",
         {1, 100, 0, 0, 2, 1, 32, 16, 16, 255, 90, QString(), -45}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadConfiguration(c.Contents), c.Read) << c.Name;
}

TEST(TessalineLanguage, ConfigurationIsWrittenAsTwelveLinesThatReadBackTheSame)
{
    EXPECT_EQ(WriteConfiguration(Configuration{}),
              "0,100\r\n0\r\n0\r\n0\r\n0\r\n0\r\n50\r\n0\r\n128\r\n90\r\n1,2500.00,2500.00\r\n0\r\n");
    const Configuration stored{1, 250, 0, 1, 5, 2, 1000, 50, -90, 255, 0, QStringLiteral("100,25.00,25.00"), 45};
    EXPECT_EQ(ReadConfiguration(WriteConfiguration(stored)), stored);
    // A line break inside the slit text would shift the theta line.
    const Configuration broken{0, 100, 0, 0, 0, 0, 0, 50, 0, 128, 90, QStringLiteral("5,1\r\n2,3"), -7};
    EXPECT_EQ(ReadConfiguration(WriteConfiguration(broken)).Theta, -7);
}

} // namespace
