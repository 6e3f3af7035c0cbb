#include "panels/OrvaneConfiguration.h"

#include "platform/Conversions.h"
#include "platform/Exceptions.h"
#include "platform/InstallFolder.h"
#include "platform/TextFile.h"

#include <QFile>

namespace orvane {

namespace {

// Far beyond any file the panel writes; a damaged file larger than this is
// not read whole into memory at each showing.
constexpr qint64 ReadLimit = 64 * 1024;

QByteArray Lines(const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + "\r\n";
    return text;
}

std::optional<QByteArray> ReadFileBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(ReadLimit);
}

// Silent on failure, and a failed save leaves the file it would have replaced whole.
void WriteFileBytes(const QString& fileName, const QByteArray& contents)
{
    try {
        platform::SaveBytesToFile(fileName, contents);
    } catch (const EFileError&) {
    }
}

} // namespace

QString ConfigFileName()
{
    return InstallFolder::File(QStringLiteral("Orvane Config.txt"));
}

QByteArray NewConfigurationText()
{
    return Lines({QStringLiteral("00"), QStringLiteral("20.0"), QStringLiteral("13.0"), QStringLiteral("0"),
                  QStringLiteral("0")});
}

QByteArray ConfigurationText(const Settings& settings)
{
    return Lines({settings.ParameterSetText, platform::FormatGeneral(settings.Frequency),
                  platform::FormatGeneral(settings.DiodeCurrentSet), QString::number(settings.PulseModeIndex),
                  QString::number(settings.ShutterIndex)});
}

QStringList ConfigurationItems(const QByteArray& contents)
{
    QStringList items;
    for (qsizetype start = 0; start < contents.size() && items.size() < ConfigurationLineCount;) {
        qsizetype end = contents.indexOf('\n', start);
        if (end < 0)
            end = contents.size();
        items << QString::fromLatin1(contents.sliced(start, end - start)).trimmed();
        start = end + 1;
    }
    return items;
}

std::optional<QStringList> ReadConfigurationFile()
{
    std::optional<QByteArray> contents = ReadFileBytes(ConfigFileName());
    if (!contents) {
        WriteFileBytes(ConfigFileName(), NewConfigurationText());
        contents = ReadFileBytes(ConfigFileName());
    }
    if (!contents)
        return std::nullopt;
    return ConfigurationItems(*contents);
}

void WriteConfigurationFile(const Settings& settings)
{
    WriteFileBytes(ConfigFileName(), ConfigurationText(settings));
}

} // namespace orvane
