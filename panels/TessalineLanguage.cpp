#include "panels/TessalineLanguage.h"

#include "panels/PanelSend.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"

#include <QList>

#include <array>
#include <cmath>
#include <limits>

namespace tessaline {

namespace {

// The replies that name the wavelength items; each item's command carries the same text.
constexpr std::array<const char*, 6> WavelengthTexts{"3 0", "3 1", "3 2", "2 0", "2 1", "2 2"};
constexpr std::array<const char*, 3> ModeTexts{"0", "1", "2"};

constexpr std::array<Magnification, 6> Magnifications{{
    {1, 3000.0f}, {5, 600.0f}, {10, 300.0f}, {20, 150.0f}, {50, 60.0f}, {100, 60.0f},
}};

constexpr float LEDFactor = 2.555f;
constexpr std::int32_t MaximumLEDLevel = 255;
constexpr std::int32_t MaximumEnergy = 1000;
constexpr std::int32_t MaximumBurstCount = 1000;
constexpr std::int32_t MaximumRepRate = 50;
constexpr int ConfigurationLines = 12;

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
    while (position < contents.size() && items.size() < ConfigurationLines) {
        qsizetype end = contents.indexOf('\n', position);
        if (end < 0)
            end = contents.size();
        QByteArray line = contents.sliced(position, end - position);
        if (line.endsWith('\r'))
            line.chop(1);
        items << TrimBlanks(platform::AnsiToText(line));
        position = end + 1;
    }
    while (items.size() < ConfigurationLines)
        items << QString();
    return items;
}

std::int32_t WholeNumber(const QString& item)
{
    return platform::StrToIntDef(item, 0);
}

std::int32_t WholeNumberWithin(const QString& item, std::int32_t minimum, std::int32_t maximum)
{
    const std::int32_t value = WholeNumber(item);
    return value >= minimum && value <= maximum ? value : 0;
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
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    return EnergyReading{WholeNumber(text.first(comma)), WholeNumber(text.sliced(comma + 1))};
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
    const bool isLevel = stored >= 0 && stored <= MaximumLEDLevel;
    return isLevel && StoredLEDPercent(stored) == percent ? stored : LEDLevel(percent);
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
    return WholeNumber(SplitSlitText(slitText).Magnification);
}

QString StoredSizeText(const QString& text)
{
    for (const QChar c : text) {
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.'))
            return QString();
    }
    const long double invalid = std::numeric_limits<long double>::quiet_NaN();
    return std::isnan(platform::StrToFloatDef(text, invalid)) ? QString() : text;
}

Configuration ReadConfiguration(const QByteArray& contents)
{
    const QList<QString> items = Items(contents);
    Configuration read;
    if (const std::optional<EnergyReading> energy = ReadEnergy(items[0])) {
        read.EnergyLevel = energy->Level != 0 ? 1 : 0;
        read.Energy = energy->Energy >= 0 && energy->Energy <= MaximumEnergy ? energy->Energy : 0;
    }
    read.FireState = WholeNumberWithin(items[1], FireOff, FireStop);
    read.AutoEnergy = WholeNumberWithin(items[2], 0, 1);
    read.WavelengthIndex = WholeNumber(items[3]);
    read.ModeIndex = WholeNumber(items[4]);
    read.BurstCount = WholeNumberWithin(items[5], 0, MaximumBurstCount);
    read.RepRate = WholeNumberWithin(items[6], 0, MaximumRepRate);
    read.PolarizationAngle = WholeNumber(items[7]);
    read.FieldLEDLevel = WholeNumber(items[8]);
    read.SlitLEDLevel = WholeNumber(items[9]);
    read.SlitText = items[10];
    read.Theta = WholeNumber(items[11]);
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
