// The Orvane panel's configuration file against arbitrary contents: at most
// five items, none holding a line end; the settings read from them lie
// within the ranges of the panel's controls (an index may name none), and
// written and read again give the same file; the panel shown with the file
// sends only commands whose values its controls take, ends the showing with
// the laser stopped, sends only such values again at "Write to Laser", and
// the file its close writes holds only such values. No crash, no sanitizer
// report; the only exception shown is a set point's conversion error.

#include "PanelHarness.h"

#include <cstddef>
#include <cstdint>

namespace {

using fuzz::Require;

const QStringList Stopped{QStringLiteral("!GATE ACTIV=0"), QStringLiteral("!SHUTTER=0")};

void RequireReadWithinRanges(const QByteArray& contents)
{
    const QStringList items = orvane::ConfigurationItems(contents);
    Require(items.size() <= orvane::ConfigurationLineCount);
    for (const QString& item : items)
        Require(!item.contains(QLatin1Char('\n')) && item == item.trimmed());

    const orvane::Settings read = orvane::ReadSettings(items).Values;
    Require(read.Frequency >= 20.0f && read.Frequency <= 100.0f);
    Require(read.DiodeCurrentSet >= 13.0f && read.DiodeCurrentSet <= 50.0f);
    // -1: an index that names no item chooses none.
    Require(read.PulseModeIndex >= -1 && read.PulseModeIndex <= 1 && read.ShutterIndex >= -1
            && read.ShutterIndex <= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    RequireReadWithinRanges(contents);

    fuzz::World& world = fuzz::World::Get();
    TOrvaneControlForm& panel = *world.Orvane;
    fuzz::WriteFile(orvane::ConfigFileName(), contents);
    platform::RunGuarded([&panel] { panel.FormShow(); });
    const QStringList shown = world.Line.TakeSound(fuzz::SoundOrvaneCommand);
    Require(shown.size() >= 2 && shown.mid(shown.size() - 2) == Stopped);
    Require(world.Ui.Exceptions.size() <= 1);
    fuzz::RequireOnlyConversionErrors(world.Ui.Exceptions);

    // The fields the file left go out again.
    fuzz::WriteToLaser(panel);
    world.Line.TakeSound(fuzz::SoundOrvaneCommand);
    Require(world.Ui.Exceptions.empty());

    platform::RunGuarded([&panel] { panel.FormClose(); });
    Require(world.Line.Take() == Stopped);
    fuzz::RequireSoundOrvaneFile(fuzz::ReadFile(orvane::ConfigFileName()), panel);
    Require(world.Ui.Exceptions.empty());
    return 0;
}
