#include "panels/TessalineLanguage.h"

#include "panels/PanelSend.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"

#include <QList>

#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace tessaline {

namespace {

// The replies that name the wavelength items; each item's command carries the same text.
constexpr std::array<const char*, 6> WavelengthTexts{"3 0", "3 1", "3 2", "2 0", "2 1", "2 2"};
constexpr std::array<const char*, 3> ModeTexts{"0", "1", "2"};

constexpr std::array<Magnification, 6> Magnifications{{
    {1, 3000.0f}, {5, 600.0f}, {10, 300.0f}, {20, 150.0f}, {50, 60.0f}, {100, 60.0f},
}};

constexpr float LEDFactor = 2.555f;

template <std::size_t N>
int ItemOf(const std::array<const char*, N>& texts, const QString& reply)
{
    for (std::size_t item = 0; item < N; ++item) {
        if (reply == QLatin1String(texts[item]))
            return static_cast<int>(item);
    }
    return -1;
}

template <std::size_t N>
QString CommandOf(const std::array<const char*, N>& texts, const char* prefix, int item)
{
    if (item < 0 || item >= static_cast<int>(N))
        return QString();
    return QLatin1String(prefix) + QLatin1String(texts[static_cast<std::size_t>(item)]);
}

// A carriage return left at an item's end (a line ended CR CR LF) is a blank too.
bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

QString TrimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsBlank(text.at(start)))
        ++start;
    while (end > start && IsBlank(text.at(end - 1)))
        --end;
    return text.sliced(start, end - start);
}

// The file's items: each line without its CR LF (or LF) and its blanks.
QList<QString> Items(const QByteArray& contents)
{
    QList<QString> items;
    qsizetype position = 0;
    while (position < contents.size() && items.size() < ConfigurationLineCount) {
        qsizetype end = contents.indexOf('\n', position);
        if (end < 0)
            end = contents.size();
        QByteArray line = contents.sliced(position, end - position);
        if (line.endsWith('\r'))
            line.chop(1);
        items << TrimBlanks(platform::AnsiToText(line));
        position = end + 1;
    }
    while (items.size() < ConfigurationLineCount)
        items << QString();
    return items;
}

// The text before the first "," and the text after it; nothing without ",".
std::optional<std::pair<QString, QString>> SplitAtComma(const QString& text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    return std::pair(text.first(comma), text.sliced(comma + 1));
}

// A line never holds a line end: one inside an item would shift every line after it.
QByteArray Line(const QString& item)
{
    QByteArray line = platform::TextToAnsi(item);
    line.replace('\r', ' ').replace('\n', ' ');
    return line + "\r\n";
}

} // namespace

QString FireCommand(std::int32_t state)
{
    return QStringLiteral(";LC:FL ") + QString::number(state);
}

QString WavelengthCommand(int item)
{
    return CommandOf(WavelengthTexts, ";LC:SW ", item);
}

QString ModeCommand(int item)
{
    return CommandOf(ModeTexts, ";LC:MO ", item);
}

int WavelengthItem(const QString& reply)
{
    return ItemOf(WavelengthTexts, reply);
}

int ModeItem(const QString& reply)
{
    return ItemOf(ModeTexts, reply);
}

QString EnergyCommand(std::int32_t level, std::int32_t energy)
{
    return QStringLiteral(";LC:ED %1,%2").arg(level).arg(energy);
}

std::optional<EnergyReading> ReadEnergy(const QString& text)
{
    const auto parts = SplitAtComma(text);
    if (!parts)
        return std::nullopt;
    const std::optional<std::int32_t> level = EnergyLevelRange.Read(parts->first);
    const std::optional<std::int32_t> energy = EnergyRange.Read(parts->second);
    if (!level || !energy)
        return std::nullopt;
    return EnergyReading{*level, *energy};
}

std::int32_t LEDLevel(std::int32_t percent)
{
    return panels::Trunc(static_cast<long double>(percent) * static_cast<long double>(LEDFactor));
}

std::int32_t LEDPercent(std::int32_t level)
{
    const long double fraction = static_cast<long double>(level) * (1.0L / 255.0L);
    return panels::Trunc(static_cast<long double>(static_cast<float>(fraction)) * 100.0L);
}

std::int32_t StoredLEDPercent(std::int32_t level)
{
    return panels::Trunc(static_cast<long double>(level) / static_cast<long double>(LEDFactor));
}

std::int32_t StoredLEDLevel(std::int32_t stored, std::int32_t percent)
{
    return LEDLevelRange().Holds(stored) && StoredLEDPercent(stored) == percent ? stored : LEDLevel(percent);
}

WholeNumberRange LEDLevelRange()
{
    return {LEDLevel(LEDPercentRange.Minimum), LEDLevel(LEDPercentRange.Maximum)};
}

std::optional<Magnification> MagnificationOf(int item)
{
    if (item < 0 || item >= static_cast<int>(Magnifications.size()))
        return std::nullopt;
    return Magnifications[static_cast<std::size_t>(item)];
}

int MagnificationItem(std::int32_t factor)
{
    for (std::size_t item = 0; item < Magnifications.size(); ++item) {
        if (Magnifications[item].Factor == factor)
            return static_cast<int>(item);
    }
    return -1;
}

QString MagnificationText(int item)
{
    const std::optional<Magnification> magnification = MagnificationOf(item);
    return magnification ? QString::number(magnification->Factor) : QString();
}

SlitParts SplitSlitText(const QString& slitText)
{
    const qsizetype first = slitText.indexOf(QLatin1Char(','));
    if (first < 0)
        return {slitText, QString(), QString()};
    const qsizetype second = slitText.indexOf(QLatin1Char(','), first + 1);
    if (second < 0)
        return {slitText.first(first), slitText.sliced(first + 1), QString()};
    return {slitText.first(first), slitText.sliced(first + 1, second - first - 1), slitText.sliced(second + 1)};
}

std::int32_t SlitTextMagnification(const QString& slitText)
{
    return platform::StrToIntDef(SplitSlitText(slitText).Magnification, 0);
}

Configuration ReadConfiguration(const QByteArray& contents)
{
    const QList<QString> items = Items(contents);
    Configuration read;
    if (const auto energy = SplitAtComma(items[0])) {
        EnergyLevelRange.ReadInto(energy->first, read.EnergyLevel);
        EnergyRange.ReadInto(energy->second, read.Energy);
    }
    StoredFireStateRange.ReadInto(items[1], read.FireState);
    AutoEnergyRange.ReadInto(items[2], read.AutoEnergy);
    WavelengthItems.ReadItemInto(items[3], read.WavelengthIndex);
    ModeItems.ReadItemInto(items[4], read.ModeIndex);
    BurstCountRange.ReadInto(items[5], read.BurstCount);
    RepRateRange.ReadInto(items[6], read.RepRate);
    PolarizationRange.ReadInto(items[7], read.PolarizationAngle);
    LEDLevelRange().ReadInto(items[8], read.FieldLEDLevel);
    LEDLevelRange().ReadInto(items[9], read.SlitLEDLevel);
    read.SlitText = items[10];
    ThetaRange.ReadInto(items[11], read.Theta);
    return read;
}

QByteArray WriteConfiguration(const Configuration& configuration)
{
    const Configuration& c = configuration;
    QByteArray contents;
    for (const QString& item : {QStringLiteral("%1,%2").arg(c.EnergyLevel).arg(c.Energy),
                                QString::number(c.FireState), QString::number(c.AutoEnergy),
                                QString::number(c.WavelengthIndex), QString::number(c.ModeIndex),
                                QString::number(c.BurstCount), QString::number(c.RepRate),
                                QString::number(c.PolarizationAngle), QString::number(c.FieldLEDLevel),
                                QString::number(c.SlitLEDLevel), c.SlitText, QString::number(c.Theta)})
        contents += Line(item);
    return contents;
}

} // namespace tessaline
