#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The Orvane panel's configuration file, "Orvane Config.txt" in the install
// folder: five lines, each ended by CR LF, read at every showing of the panel
// and written at every close. Its lines are read and written here, apart from
// the window, which applies the items one by one.
namespace orvane {

// Built from the install folder at each use, so it follows the folder.
QString ConfigFileName();

// The panel's settings as the file keeps them, in file order; at first the
// settings of a new file.
struct Settings
{
    QString ParameterSetText = QStringLiteral("00");
    float Frequency = 20.0f;
    float DiodeCurrentSet = 13.0f;
    std::int32_t PulseModeIndex = 0;
    std::int32_t ShutterIndex = 0;

    bool operator==(const Settings&) const = default;
};

inline constexpr int ConfigurationLineCount = 5;

// The lines of a new file: "00", "20.0", "13.0", "0", "0".
QStringList NewConfigurationLines();

// The lines written at close: the real numbers in the default stream format
// (20.0 is written "20"), the indexes in decimal.
QStringList ConfigurationLines(const Settings& settings);

// The first five lines, each without its line end and without blanks at
// either end; a shorter file gives fewer items.
QStringList ConfigurationItems(const QByteArray& contents);

// The settings the items stand for, and the conversion error of the first set
// point that is no number (empty when there is none). A set point its range
// does not hold, or that is missing or no number, reads as a new file's value.
// The pulse mode and shutter lines are item indexes: a number that names no
// item reads as -1, none chosen; one that is missing or no number as a new
// file's 0.
struct StoredSettings
{
    Settings Values;
    QString ConversionError;
};
StoredSettings ReadSettings(const QStringList& items);

// The items of the file, read only as far as they go; a file that is not
// there is first written as a new file. Nothing when it cannot be read.
std::optional<QStringList> ReadConfigurationFile();

// Replaces the file as a whole or not at all: a write that fails leaves the
// file as it was, and nothing is told.
void WriteConfigurationFile(const Settings& settings);

} // namespace orvane
