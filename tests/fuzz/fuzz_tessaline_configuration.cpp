// The Tessaline panel's configuration file against arbitrary contents: the
// reader alone gives only values within their ranges that write and read
// back the same; the panel shown with the file sends only commands whose
// values its controls take, sends only such values again at "Write to
// Controller", and the file its close writes holds only such values and reads
// back as what the panel holds. No crash, no sanitizer
// report, no exception box.

#include "PanelHarness.h"

#include <cstddef>
#include <cstdint>

namespace {

using fuzz::Require;

bool Within(std::int32_t value, std::int32_t minimum, std::int32_t maximum)
{
    return value >= minimum && value <= maximum;
}

void RequireReadWithinRanges(const QByteArray& contents)
{
    const tessaline::Configuration read = tessaline::ReadConfiguration(contents);
    Require(Within(read.EnergyLevel, 0, 1) && Within(read.Energy, 0, 1000));
    Require(Within(read.FireState, 0, 1) && Within(read.AutoEnergy, 0, 1));
    Require(Within(read.WavelengthIndex, -1, 5) && Within(read.ModeIndex, -1, 2));
    Require(Within(read.BurstCount, 0, 1000) && Within(read.RepRate, 0, 50));
    Require(Within(read.PolarizationAngle, -90, 90) && Within(read.Theta, -45, 45));
    Require(Within(read.FieldLEDLevel, 0, 255) && Within(read.SlitLEDLevel, 0, 255));

    const QByteArray written = tessaline::WriteConfiguration(read);
    Require(written.count("\r\n") == 12 && written.count('\n') == 12);
    tessaline::Configuration expected = read;
    expected.SlitText.replace(QLatin1Char('\r'), QLatin1Char(' '));
    Require(tessaline::ReadConfiguration(written) == expected);
    Require(tessaline::WriteConfiguration(expected) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    RequireReadWithinRanges(contents);

    fuzz::World& world = fuzz::World::Get();
    TTessalineControlForm& panel = *world.Tessaline;
    fuzz::WriteFile(TessalineConfigFileName(), contents);
    platform::RunGuarded([&panel] { panel.FormShow(); });
    world.Line.TakeSound(fuzz::SoundTessalineCommand);
    platform::RunGuarded([&panel] { panel.cmdRefreshClick(); });
    world.Line.TakeSound(fuzz::SoundTessalineCommand);
    platform::RunGuarded([&panel] { panel.FormClose(); });
    Require(world.Line.Take() == QStringList{QStringLiteral(";LC:FL 0")});
    fuzz::RequireSoundTessalineFile(fuzz::ReadFile(TessalineConfigFileName()), panel);
    Require(world.Ui.Exceptions.empty());
    return 0;
}
