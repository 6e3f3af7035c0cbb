#include "panels/OrvaneConfiguration.h"

#include "panels/OrvaneDialect.h"
#include "panels/PanelFile.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Exceptions.h"
#include "platform/InstallFolder.h"
#include "platform/TextFile.h"

namespace orvane {

namespace {

// A set point that is no number keeps its field and notes the first
// conversion error; one outside its box's range keeps the field silently.
void ReadSetPoint(const QString& item, const platform::RealNumberRange& range, float& field, QString& error)
{
    long double value = 0;
    try {
        value = platform::StrToFloat(item);
    } catch (const EConvertError& e) {
        if (error.isEmpty())
            error = e.Message;
        return;
    }
    if (range.Holds(value))
        field = static_cast<float>(value);
}

} // namespace

QString ConfigFileName()
{
    return InstallFolder::File(QStringLiteral("Orvane Config.txt"));
}

QStringList NewConfigurationLines()
{
    return {QStringLiteral("00"), QStringLiteral("20.0"), QStringLiteral("13.0"), QStringLiteral("0"),
            QStringLiteral("0")};
}

QStringList ConfigurationLines(const Settings& settings)
{
    return {settings.ParameterSetText, platform::FormatGeneral(settings.Frequency),
            platform::FormatGeneral(settings.DiodeCurrentSet), QString::number(settings.PulseModeIndex),
            QString::number(settings.ShutterIndex)};
}

QStringList ConfigurationItems(const QByteArray& contents)
{
    QStringList items;
    for (qsizetype start = 0; start < contents.size() && items.size() < ConfigurationLineCount;) {
        qsizetype end = contents.indexOf('\n', start);
        if (end < 0)
            end = contents.size();
        items << platform::AnsiToText(contents.sliced(start, end - start)).trimmed();
        start = end + 1;
    }
    return items;
}

StoredSettings ReadSettings(const QStringList& items)
{
    StoredSettings read;
    Settings& values = read.Values;
    values.ParameterSetText = items.value(0);
    ReadSetPoint(items.value(1), FrequencyRange, values.Frequency, read.ConversionError);
    ReadSetPoint(items.value(2), DiodeCurrentRange, values.DiodeCurrentSet, read.ConversionError);
    PulseModeRange.ReadItemInto(items.value(3), values.PulseModeIndex);
    ShutterRange.ReadItemInto(items.value(4), values.ShutterIndex);
    return read;
}

std::optional<QStringList> ReadConfigurationFile()
{
    const std::optional<QByteArray> contents = panels::ReadPanelFile(
        ConfigFileName(), ConfigurationLineCount, platform::LinesToBytes(NewConfigurationLines()));
    if (!contents)
        return std::nullopt;
    return ConfigurationItems(*contents);
}

void WriteConfigurationFile(const Settings& settings)
{
    panels::WritePanelFile(ConfigFileName(), platform::LinesToBytes(ConfigurationLines(settings)));
}

} // namespace orvane
