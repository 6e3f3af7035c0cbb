#pragma once

#include "platform/NumericEntryBox.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The Tessaline laser system's language and arithmetic, apart from any window:
// the commands the panel builds, the replies it reads, the illuminator and
// slit numbers, and the panel's configuration file.
namespace tessaline {

QString FireCommand(std::int32_t state);
inline constexpr std::int32_t FireOff = 0;
inline constexpr std::int32_t FireStop = 1;
inline constexpr std::int32_t FireOn = 3;

// What each of the panel's numbers may be: the ranges of its entry boxes, and
// of the numbers that the configuration file and the instrument's replies
// give it. A value outside never reaches a field, the file or the instrument.
using platform::WholeNumberRange;
inline constexpr WholeNumberRange EnergyRange{0, 1000};
inline constexpr WholeNumberRange EnergyLevelRange{0, 1};
inline constexpr WholeNumberRange RepRateRange{0, 50};
inline constexpr WholeNumberRange BurstCountRange{0, 1000};
inline constexpr WholeNumberRange PolarizationRange{-90, 90};
inline constexpr WholeNumberRange ThetaRange{-45, 45};
inline constexpr WholeNumberRange LEDPercentRange{0, 100};
// The levels sent for the percents: 0 to 255.
WholeNumberRange LEDLevelRange();
// A stored fire state never fires: the file holds what a close or STOP left.
inline constexpr WholeNumberRange StoredFireStateRange{FireOff, FireStop};
inline constexpr WholeNumberRange AutoEnergyRange{0, 1};
// The items of the wavelength and mode boxes; an index that names none
// chooses none (-1).
inline constexpr WholeNumberRange WavelengthItems{0, 5};
inline constexpr WholeNumberRange ModeItems{0, 2};

// The command of a wavelength or mode item; empty for none.
QString WavelengthCommand(int item);
QString ModeCommand(int item);
// The item a query reply names by its exact text; -1 for any other text.
int WavelengthItem(const QString& reply);
int ModeItem(const QString& reply);

// ";LC:ED " level "," energy.
QString EnergyCommand(std::int32_t level, std::int32_t energy);
struct EnergyReading
{
    std::int32_t Level;
    std::int32_t Energy;
};
// Level and energy of a reply "level,energy" when both are numbers their
// ranges hold; nothing for any other reply, one without "," too.
std::optional<EnergyReading> ReadEnergy(const QString& text);

// The level sent for an intensity: trunc(percent x 2.555), 2.555 at single
// precision, worked in extended precision.
std::int32_t LEDLevel(std::int32_t percent);
// A level read from the instrument as a percent: level x (1/255) rounded to
// single precision, x 100, truncated (the integer quotient for 0..255).
std::int32_t LEDPercent(std::int32_t level);
// A level stored in the configuration file as the percent the panel shows for
// it: trunc(level / 2.555), 2.555 at single precision.
std::int32_t StoredLEDPercent(std::int32_t level);
// The level sent for a stored level once its bar stands at the percent: the
// stored level itself, when it is a level (0 to 255) that the percent stands
// for. Worked back from its whole percent it would lose a step or two at each
// showing (127, 125, 122 ...) and the illuminator would dim to nothing.
std::int32_t StoredLEDLevel(std::int32_t stored, std::int32_t percent);

// A magnification item of the slit: its factor and the largest shown size the
// size boxes take while typing.
struct Magnification
{
    std::int32_t Factor;
    float SizeMax;
};
std::optional<Magnification> MagnificationOf(int item);
// The item of a factor; -1 for a factor that names none.
int MagnificationItem(std::int32_t factor);
// The magnification text of an item ("1" .. "100"); empty for none.
QString MagnificationText(int item);
// The whole number before the first "," of a slit text; 0 for no number.
std::int32_t SlitTextMagnification(const QString& slitText);

// The panel's configuration file: twelve lines, CR LF, in this order.
struct Configuration
{
    std::int32_t EnergyLevel = 0;
    std::int32_t Energy = 100;
    std::int32_t FireState = FireOff;
    std::int32_t AutoEnergy = 0;
    std::int32_t WavelengthIndex = 0;
    std::int32_t ModeIndex = 0;
    std::int32_t BurstCount = 0;
    std::int32_t RepRate = 50;
    std::int32_t PolarizationAngle = 0;
    std::int32_t FieldLEDLevel = 128;
    std::int32_t SlitLEDLevel = 90;
    QString SlitText = QStringLiteral("1,2500.00,2500.00");
    std::int32_t Theta = 0;

    bool operator==(const Configuration&) const = default;
};

// The parts of a slit text: the text before its first ",", between the first
// and the second, and after the second.
struct SlitParts
{
    QString Magnification;
    QString XSize;
    QString YSize;
};
SlitParts SplitSlitText(const QString& slitText);

inline constexpr int ConfigurationLineCount = 12;

// Reads the file's bytes. Each line is one item, without its line end and
// its blanks at either end; a missing line is an empty item. A value that is
// not one its range holds (damaged, missing, out of range) reads as the value
// a new file holds, so line 1 without "," is level 0 and energy 100. The
// wavelength and mode lines are item indexes: a number that names no item
// reads as -1, none chosen; only a line that is no number (or missing) reads
// as a new file's 0. The slit text is left to the slit controls, which take
// what their boxes take.
Configuration ReadConfiguration(const QByteArray& contents);
QByteArray WriteConfiguration(const Configuration& configuration);

} // namespace tessaline
