#include "panels/OrvaneConfiguration.h"

#include "panels/OrvaneDialect.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Exceptions.h"
#include "platform/InstallFolder.h"
#include "platform/TextFile.h"

namespace orvane {

namespace {

// Anything but a regular file counts as unreadable.
std::optional<QByteArray> ReadFileBytes(const QString& fileName)
{
    try {
        return platform::ReadLeadingLines(fileName, ConfigurationLineCount);
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

// Silent on failure, and a failed save leaves the file it would have replaced whole.
void WriteFileLines(const QString& fileName, const QStringList& lines)
{
    try {
        platform::SaveLinesToFile(fileName, lines);
    } catch (const EFileError&) {
    }
}

// A set point that is no number keeps its field and notes the first
// conversion error; one its box would not take (outside the range, or not
// written as the box is typed) keeps the field silently.
void ReadSetPoint(const QString& item, const platform::RealNumberRange& range, float& field, QString& error)
{
    try {
        platform::StrToFloat(item);
    } catch (const EConvertError& e) {
        if (error.isEmpty())
            error = e.Message;
        return;
    }
    if (const std::optional<long double> value = range.Read(item))
        field = static_cast<float>(*value);
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
    PulseModeRange.ReadInto(items.value(3), values.PulseModeIndex);
    ShutterRange.ReadInto(items.value(4), values.ShutterIndex);
    return read;
}

std::optional<QStringList> ReadConfigurationFile()
{
    std::optional<QByteArray> contents = ReadFileBytes(ConfigFileName());
    if (!contents) {
        WriteFileLines(ConfigFileName(), NewConfigurationLines());
        contents = ReadFileBytes(ConfigFileName());
    }
    if (!contents)
        return std::nullopt;
    return ConfigurationItems(*contents);
}

void WriteConfigurationFile(const Settings& settings)
{
    WriteFileLines(ConfigFileName(), ConfigurationLines(settings));
}

} // namespace orvane
