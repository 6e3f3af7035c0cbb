#include "panels/TessalineLanguage.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace tessaline;

TEST(TessalineLanguage, IlluminatorLevelsAndPercents)
{
    // The read-back percent is the integer quotient for every level an
    // instrument can report.
    for (std::int32_t level = 0; level <= 255; ++level)
        EXPECT_EQ(LEDPercent(level), level * 100 / 255) << level;
    struct Case { std::int32_t Percent; std::int32_t Level; };
    for (const Case& c : {Case{0, 0}, Case{1, 2}, Case{10, 25}, Case{25, 63}, Case{35, 89}, Case{50, 127},
                          Case{75, 191}, Case{99, 252}, Case{100, 255}})
        EXPECT_EQ(LEDLevel(c.Percent), c.Level) << c.Percent;
    struct Stored { std::int32_t Level; std::int32_t Percent; };
    for (const Stored& c : {Stored{128, 50}, Stored{90, 35}, Stored{255, 99}, Stored{127, 49}, Stored{0, 0},
                            Stored{-5, -1}, Stored{300, 117}})
        EXPECT_EQ(StoredLEDPercent(c.Level), c.Percent) << c.Level;
    EXPECT_EQ(LEDPercent(-1), 0);
    EXPECT_EQ(LEDPercent(0x7FFFFFFF), 842150400);
}

TEST(TessalineLanguage, RepliesNameItemsOnlyByTheirExactText)
{
    struct Case { const char* Reply; int Wavelength; int Mode; };
    const Case cases[] = {
        {"3 0", 0, -1}, {"3 2", 2, -1}, {"2 0", 3, -1}, {"2 1", 4, -1}, {"2 2", 5, -1}, {"4 0", -1, -1},
        {"2 1 ", -1, -1}, {"21", -1, -1}, {"?E3", -1, -1}, {"", -1, -1}, {"0", -1, 0}, {"2", -1, 2},
        {"7", -1, -1}, {"02", -1, -1}, {" 1", -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WavelengthItem(QString::fromLatin1(c.Reply)), c.Wavelength) << c.Reply;
        EXPECT_EQ(ModeItem(QString::fromLatin1(c.Reply)), c.Mode) << c.Reply;
    }
    EXPECT_EQ((QStringList{WavelengthCommand(0), WavelengthCommand(5), WavelengthCommand(6), WavelengthCommand(-1),
                           ModeCommand(2), ModeCommand(3)}),
              (QStringList{";LC:SW 3 0", ";LC:SW 2 2", "", "", ";LC:MO 2", ""}));
}

TEST(TessalineLanguage, EnergyRepliesAreReadOnlyWithAComma)
{
    struct Case { const char* Reply; std::optional<std::pair<int, int>> Read; };
    const Case cases[] = {
        {"1,250", std::pair(1, 250)}, {"0,1000", std::pair(0, 1000)}, {"250", std::nullopt}, {"", std::nullopt},
        {"x,5", std::pair(0, 5)}, {"1,", std::pair(1, 0)}, {"1,250,3", std::pair(1, 0)}, {" 1,250", std::pair(1, 250)},
    };
    for (const Case& c : cases) {
        const std::optional<EnergyReading> read = ReadEnergy(QString::fromLatin1(c.Reply));
        EXPECT_EQ(read ? std::optional(std::pair(read->Level, read->Energy)) : std::nullopt, c.Read) << c.Reply;
    }
}

TEST(TessalineLanguage, SlitTextsSplitAtTheirFirstTwoCommas)
{
    struct Case { const char* Text; const char* Magnification; const char* X; const char* Y; int Factor; int Item; };
    const Case cases[] = {
        {"1,2500.00,2500.00", "1", "2500.00", "2500.00", 1, 0}, {"50,30.00,40.00", "50", "30.00", "40.00", 50, 4},
        {"100,1,2", "100", "1", "2", 100, 5}, {"2,3,4", "2", "3", "4", 2, -1}, {",5,6", "", "5", "6", 0, -1},
        {"5,6", "5", "6", "", 5, 1}, {"x", "x", "", "", 0, -1}, {"1,2,3,4", "1", "2", "3,4", 1, 0},
    };
    for (const Case& c : cases) {
        const SlitParts parts = SplitSlitText(QString::fromLatin1(c.Text));
        EXPECT_EQ((QStringList{parts.Magnification, parts.XSize, parts.YSize}),
                  (QStringList{c.Magnification, c.X, c.Y})) << c.Text;
        EXPECT_EQ(SlitTextMagnification(QString::fromLatin1(c.Text)), c.Factor) << c.Text;
        EXPECT_EQ(MagnificationItem(c.Factor), c.Item) << c.Text;
    }
    struct Size { const char* Stored; const char* Applied; };
    for (const Size& c : {Size{"30.00", "30.00"}, Size{"7", "7"}, Size{".5", ".5"}, Size{"1.2.3", ""}, Size{"-5", ""},
                          Size{"1e3", ""}, Size{" 5", ""}, Size{"3,4", ""}, Size{"", ""}, Size{".", ""}})
        EXPECT_EQ(StoredSizeText(QString::fromLatin1(c.Stored)), QLatin1String(c.Applied)) << c.Stored;
}

Configuration With(void (*change)(Configuration&))
{
    Configuration configuration;
    change(configuration);
    return configuration;
}

TEST(TessalineLanguage, ConfigurationLinesReadOnlyWhatTheirControlsTake)
{
    struct Case { const char* Name; QByteArray Contents; Configuration Read; };
    const Case cases[] = {
        {"default", "0,100\r\n0\r\n0\r\n0\r\n0\r\n0\r\n50\r\n0\r\n128\r\n90\r\n1,2500.00,2500.00\r\n0\r\n", {}},
        {"every field", "1,250\r\n1\r\n1\r\n4\r\n2\r\n12\r\n7\r\n-30\r\n200\r\n5\r\n50,30.00,40.00\r\n-45\r\n",
         With([](Configuration& c) {
             c = {1, 250, 1, 1, 4, 2, 12, 7, -30, 200, 5, QStringLiteral("50,30.00,40.00"), -45};
         })},
        {"line ends and blanks", " 0,100 \n\t0\n0\n3\r\n0\n0\n50\n0\n128\n90\n  1,2500.00,2500.00\t\n0", With([](Configuration& c) {
             c.WavelengthIndex = 3;
         })},
        {"line 1 without a comma", "500\r\n", With([](Configuration& c) {
             c = {0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, QString(), 0};
         })},
        {"outside the controls' ranges", "7,1001\r\n3\r\n2\r\n9\r\n-1\r\n1001\r\n51\r\n200\r\n999\r\n-1\r\n1,,\r\n46\r\n",
         With([](Configuration& c) {
             c = {1, 0, 0, 0, 9, -1, 0, 0, 200, 999, -1, QStringLiteral("1,,"), 46};
         })},
        {"no whole numbers", "a,b\r\nx\r\n1.5\r\n-\r\n\r\n12abc\r\n0x20\r\n$10\r\nFF\r\n9999999999\r\nabc\r\n--1\r\n",
         With([](Configuration& c) {
             c = {0, 0, 0, 0, 0, 0, 0, 32, 16, 0, 0, QStringLiteral("abc"), 0};
         })},
        {"empty", "", With([](Configuration& c) { c = {0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, QString(), 0}; })},
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
    Configuration broken;
    broken.SlitText = QStringLiteral("5,1\r\n2,3");
    broken.Theta = -7;
    const QByteArray written = WriteConfiguration(broken);
    EXPECT_EQ(written.count("\r\n"), 12);
    EXPECT_EQ(ReadConfiguration(written).Theta, -7);
}

} // namespace
