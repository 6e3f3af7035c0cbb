#pragma once

// The Tessaline and Orvane panels driven as their events drive them, without
// a main window: their commands go to an instrument that answers from the
// fuzz input, their files live in a temporary install folder, and what they
// would show in the exception box is recorded. Beside it, the rule that every
// command and every file line holds only values the panels' controls take,
// stated from the instrument's side: the commands' forms and each value's range.

#include "panels/OrvaneConfiguration.h"
#include "panels/OrvaneControl.h"
#include "panels/PanelSend.h"
#include "panels/TessalineControl.h"
#include "panels/TessalineLanguage.h"
#include "platform/AnsiText.h"
#include "platform/EventGuard.h"
#include "platform/InstallFolder.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace fuzz {

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Answers each command, queries and settings alike, with the next reply in
// turn; with none, with nothing, as a silent instrument does.
class Instrument : public panels::CommandRoad
{
public:
    bool Send(const QString& command) override
    {
        Sent << command;
        Last = Replies.isEmpty() ? QString() : platform::AnsiToText(Replies.at(Next++ % Replies.size()));
        return true;
    }
    QString& LastResponse() override { return Last; }

    void Answer(QList<QByteArray> replies)
    {
        Replies = std::move(replies);
        Next = 0;
    }
    // The commands sent since the last call.
    QStringList Take() { return std::exchange(Sent, {}); }
    // The same, each of them one the panel's controls could have sent.
    QStringList TakeSound(bool (*sound)(const QString& command))
    {
        const QStringList taken = Take();
        for (const QString& command : taken)
            Require(sound(command));
        return taken;
    }

private:
    QList<QByteArray> Replies;
    qsizetype Next = 0;
    QString Last;
    QStringList Sent;
};

// Made once for the whole run: libFuzzer calls the target again and again
// in one process.
struct World
{
    World()
    {
        InstallFolder::SetPath(Folder.path());
        panels::InstallRoad(&Line);
        Tessaline = std::make_unique<TTessalineControlForm>();
        Orvane = std::make_unique<TOrvaneControlForm>();
        for (QWidget* panel : {static_cast<QWidget*>(Tessaline.get()), static_cast<QWidget*>(Orvane.get())})
            panel->findChild<QCheckBox*>(QStringLiteral("cbStatus"))->setChecked(true);
    }

    static World& Get()
    {
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
        static World world;
        return world;
    }

    QTemporaryDir Folder;
    InstalledTestServices Ui;
    Instrument Line;
    std::unique_ptr<TTessalineControlForm> Tessaline;
    std::unique_ptr<TOrvaneControlForm> Orvane;
};

// Each operation as a control's event runs it: an exception is shown.
template <class Form>
void RunEach(Form& panel, std::initializer_list<void (Form::*)()> operations)
{
    for (void (Form::*operation)() : operations)
        platform::RunGuarded([&panel, operation] { (panel.*operation)(); });
}

// "Write to Laser" without its STOP and its pause: each setting the panel
// holds goes out as its own operation.
inline void WriteToLaser(TOrvaneControlForm& panel)
{
    using Orvane = TOrvaneControlForm;
    RunEach(panel, {&Orvane::SetParameterSet, &Orvane::SetFrequency, &Orvane::SetDiodeCurrent, &Orvane::SetPulseMode,
                    &Orvane::SetShutter});
}

inline void WriteFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size());
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    Require(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The value of a decimal whole number within the bounds; nothing otherwise.
inline std::optional<int> Whole(const QString& text, int minimum, int maximum)
{
    static const QRegularExpression form(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    return value >= minimum && value <= maximum ? std::optional(value) : std::nullopt;
}

// A real number with exactly the given decimals, within the bounds.
inline bool Fixed(const QString& text, int decimals, double minimum, double maximum)
{
    const QRegularExpression form(QStringLiteral("^[0-9]{1,9}\\.[0-9]{%1}$").arg(decimals));
    if (!form.match(text).hasMatch())
        return false;
    const double value = text.toDouble();
    return value >= minimum && value <= maximum;
}

// A size as a size box takes it from the keyboard, within the bounds.
inline bool Size(const QString& text, double maximum)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9}\\.?[0-9]*|\\.[0-9]+)$"));
    return form.match(text).hasMatch() && text.toDouble() <= maximum;
}

// A slit text: a magnification of the list (or none) and two sizes within the
// largest that magnification's boxes take; without one, the largest of all.
inline bool SoundSlitText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    const QStringList magnifications{"", "1", "5", "10", "20", "50", "100"};
    const double largest[] = {3000, 3000, 600, 300, 150, 60, 60};
    const qsizetype item = magnifications.indexOf(parts[0]);
    return item >= 0 && Size(parts[1], largest[item]) && Size(parts[2], largest[item]);
}

// Whether a command of the Tessaline panel is one of its forms with values
// its controls take.
inline bool SoundTessalineCommand(const QString& command)
{
    static const QStringList fixed{
        ";LC:FL 0", ";LC:FL 1", ";LC:FL 3", ";LC:AE 0", ";LC:AE 1", ";LC:EM 0", ";LC:EM 1", ";LC:SW 3 0",
        ";LC:SW 3 1", ";LC:SW 3 2", ";LC:SW 2 0", ";LC:SW 2 1", ";LC:SW 2 2", ";LC:MO 0", ";LC:MO 1", ";LC:MO 2",
        ";LC:ED?", ";LC:FL?", ";LC:AE?", ";LC:SW?", ";LC:MO?", ";LC:BU?", ";LC:RR?", ";LC:PA?", ";LC:IL? 0",
        ";LC:IL? 1", ";LC:SP?", ";LC:ST?", ";LC:EM?", ";LC:SS?"};
    if (fixed.contains(command))
        return true;
    const auto argument = [&command](const char* prefix) -> std::optional<QString> {
        if (!command.startsWith(QLatin1String(prefix)))
            return std::nullopt;
        return command.sliced(qsizetype(qstrlen(prefix)));
    };
    if (const auto energy = argument(";LC:ED ")) {
        const QStringList parts = energy->split(QLatin1Char(','));
        return parts.size() == 2 && Whole(parts[0], 0, 1) && Whole(parts[1], 0, 1000);
    }
    struct Ranged { const char* Prefix; int Minimum; int Maximum; };
    for (const Ranged& r : {Ranged{";LC:BU ", 0, 1000}, Ranged{";LC:RR ", 0, 50}, Ranged{";LC:PA ", -90, 90},
                            Ranged{";LC:ST ", -45, 45}, Ranged{";LC:IL 0,", 0, 255}, Ranged{";LC:IL 1,", 0, 255}}) {
        if (const auto value = argument(r.Prefix))
            return Whole(*value, r.Minimum, r.Maximum).has_value();
    }
    if (const auto slit = argument(";LC:SP "))
        return SoundSlitText(*slit);
    return false;
}

// Whether a command of the Orvane panel is one of its forms with values its
// controls take.
inline bool SoundOrvaneCommand(const QString& command)
{
    static const QStringList fixed{
        "!ECHO=0", "!SET DIOD=3", "!SET FREQ=3", "!SET LEVE=3", "!SET RAMP=3", "!SET GATE=2", "!GATE ACTIV=0",
        "!GATE ACTIV=1", "!SHUTTER=0", "!SHUTTER=1", "!PULSE MODE=0", "!PULSE MODE=1", "!PARAMETER SET=SAVE", "!PARAMETER SET=LOAD", "?SYSTEM", "?LASER DATA", "?KEYSWITCH", "?DIODE HOURS",
        "?DIODE VOLTAGE", "?DIODE CURRENT", "?TEMPERATURE", "?WATER FLOW", "?WARNING", "?PARAMETER SET",
        "?PULSE FREQUENCY", "?DIODE SETCURRENT", "?PULSE MODE", "?SHUTTER"};
    if (fixed.contains(command))
        return true;
    if (command.startsWith(QLatin1String("!PARAMETER SET=")))
        return Whole(command.sliced(15), 0, 15) && command.size() == 17;
    if (command.startsWith(QLatin1String("!PULSE FREQUENCY=")))
        return Fixed(command.sliced(17), 1, 20, 100);
    if (command.startsWith(QLatin1String("!DIODE SETCURRENT=")))
        return Fixed(command.sliced(18), 1, 13, 50);
    return false;
}

// The Tessaline file a close wrote: twelve lines, each a value its control
// takes, that read back as the values the panel holds.
inline void RequireSoundTessalineFile(const QByteArray& written, const TTessalineControlForm& panel)
{
    QList<QByteArray> lines = written.split('\n');
    Require(lines.size() == 13 && lines.takeLast().isEmpty());
    QStringList items;
    for (const QByteArray& line : lines) {
        Require(line.endsWith('\r'));
        items << platform::AnsiToText(line.chopped(1));
    }
    const QStringList energy = items[0].split(QLatin1Char(','));
    Require(energy.size() == 2 && Whole(energy[0], 0, 1) && Whole(energy[1], 0, 1000));
    Require(items[1] == QLatin1String("0") && Whole(items[2], 0, 1) && Whole(items[3], -1, 5));
    Require(Whole(items[4], -1, 2) && Whole(items[5], 0, 1000) && Whole(items[6], 0, 50));
    Require(Whole(items[7], -90, 90) && Whole(items[8], 0, 255) && Whole(items[9], 0, 255));
    Require(SoundSlitText(items[10]) && Whole(items[11], -45, 45));

    const tessaline::Configuration read = tessaline::ReadConfiguration(written);
    const tessaline::Configuration held{panel.EnergyLevel, panel.Energy, panel.FireState, panel.AutoEnergy,
                                        panel.WavelengthIndex, panel.ModeIndex, panel.BurstCount, panel.RepRate,
                                        panel.PolarizationAngle, panel.FieldLEDLevel, panel.SlitLEDLevel,
                                        panel.SlitText, panel.Theta};
    Require(read == held && tessaline::WriteConfiguration(read) == written);
}

// The Orvane file a close wrote: five lines, each a value its control takes
// or, for the pulse mode, -1 for none chosen, written as the panel holds them
// and read back to the same lines.
inline void RequireSoundOrvaneFile(const QByteArray& written, const TOrvaneControlForm& panel)
{
    const QStringList items = orvane::ConfigurationItems(written);
    Require(written.count("\r\n") == 5 && written.count('\n') == 5 && items.size() == 5);
    Require(items[0].isEmpty() || (Whole(items[0], 0, 15) && items[0].size() == 2));
    Require(items[1].toDouble() >= 20 && items[1].toDouble() <= 100);
    Require(items[2].toDouble() >= 13 && items[2].toDouble() <= 50);
    Require(Whole(items[3], -1, 1) && items[4] == QLatin1String("0"));

    const orvane::StoredSettings read = orvane::ReadSettings(items);
    const orvane::Settings held{panel.ParameterSetText, panel.Frequency, panel.DiodeCurrentSet, panel.PulseModeIndex,
                                panel.ShutterIndex};
    Require(orvane::ConfigurationLines(held) == items);
    Require(read.ConversionError.isEmpty() && orvane::ConfigurationLines(read.Values) == items);
}

// Every exception shown was a conversion error of the named kind.
inline void RequireOnlyConversionErrors(std::vector<QString>& shown)
{
    for (const QString& message : shown) {
        Require(message.endsWith(QLatin1String("' is not a valid floating point value"))
                || message.endsWith(QLatin1String("' is not a valid integer value")));
    }
    shown.clear();
}

} // namespace fuzz
