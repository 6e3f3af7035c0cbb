#include "TessalineFixture.h"

#include "platform/EventGuard.h"

#include <optional>

namespace {

using Form = TTessalineControlForm;
using Commands = QList<QByteArray>;

// What the user or the instrument does once the panel is shown. DropAside
// drops on a box the user is not in, who then applies 500 in the X size box.
enum class Act { Nothing, Reply, Drop, DropAside, Type };

struct ValueCase
{
    const char* Name;
    std::map<int, const char*> File;  // lines of the default file replaced for the first showing
    Act Then;
    void (Form::*Query)();
    QByteArray Command;  // the query answered, or the box dropped on or typed into
    QByteArray Text;     // the reply, or the text dropped or typed
    const char* Prefix;  // the commands looked at
    Commands Shown;      // those of the showing
    Commands Answered;   // every command of what was done then
    std::optional<Commands> Written;    // those of "Write to Controller", when it is clicked
    std::map<int, const char*> Saved;   // the lines of the file written at close that differ from the default
    std::map<const char*, const char*> Boxes;  // what boxes show at the end
};

void PrintTo(const ValueCase& c, std::ostream* out)
{
    *out << c.Name;
}

class TessalineValues : public TessalinePanel, public ::testing::WithParamInterface<ValueCase>
{
protected:
    void PrepareInstallFolder() override
    {
        TessalinePanel::PrepareInstallFolder();
        WriteConfigFile(FileWith(GetParam().File));
    }

    void Do(const ValueCase& c)
    {
        QLineEdit* box = c.Then == Act::Nothing || c.Then == Act::Reply ? nullptr : Get(c.Command.constData());
        switch (c.Then) {
        case Act::Nothing:
            break;
        case Act::Reply:
            Answer(c.Command, c.Text + "\r\n");
            platform::RunGuarded([&c] { (TessalineControlForm->*c.Query)(); });
            break;
        case Act::Drop:
            // Into the box the user is in, who then moves on to the Y box.
            FocusControl(*box);
            Drop(*box, QString::fromLatin1(c.Text));
            FocusControl(*Get("leYSize"));
            break;
        case Act::DropAside:
            Drop(*box, QString::fromLatin1(c.Text));
            Type(*Get("leXSize"), QStringLiteral("500\r"));
            break;
        case Act::Type:
            Type(*box, QString::fromLatin1(c.Text));
            break;
        }
    }
};

// Rows: each a first showing of a file, then a reply, a drop or typing; the
// wire at each step and the file the close writes. "Write to Controller"
// also sends the illuminator levels worked back from their percents, which
// the close then writes.
TEST_P(TessalineValues, NoValueABoxWouldRefuseIsSentKeptOrWritten)
{
    const ValueCase& c = GetParam();
    EXPECT_EQ(Starting(Shown, c.Prefix), c.Shown);
    Do(c);
    EXPECT_EQ(Wire(), c.Answered);
    std::map<int, const char*> saved;
    if (c.Written) {
        Click("cmdRefresh");
        EXPECT_EQ(Starting(Wire(), c.Prefix), *c.Written);
        saved = {{9, "127"}, {10, "89"}};
    }
    for (const auto& [line, text] : c.Saved)
        saved[line] = text;
    for (const auto& [box, text] : c.Boxes)
        EXPECT_EQ(Get(box)->text(), QLatin1String(text)) << box;
    TessalineControlForm->close();
    EXPECT_EQ(ReadWholeFile(TessalineConfigFileName()), FileWith(saved));
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>());
}

const QByteArray Digits45(45, '1');
const QByteArray FullSlit = ";LC:SP 1,2500.00,2500.00";
const QByteArray DigitsLine = "1," + Digits45 + ".00,2500.00";

INSTANTIATE_TEST_SUITE_P(
    Roads, TessalineValues,
    ::testing::Values(
        ValueCase{"SlitSizeOf45Digits", {{11, DigitsLine.constData()}}, Act::Nothing, nullptr, {}, {}, ";LC:SP",
                  {FullSlit, FullSlit}, {}, std::nullopt, {}, {{"leXSize", "2500.00"}}},
        ValueCase{"SlitSizeBeyondTheMagnification", {{11, "50,100,40.00"}}, Act::Nothing, nullptr, {}, {}, ";LC:SP",
                  {";LC:SP 50,50.00,50.00", ";LC:SP 50,50.00,40.00"}, {}, std::nullopt, {{11, "50,50.00,40.00"}}, {}},
        ValueCase{"DroppedSlitSize", {}, Act::Drop, nullptr, "leXSize", "1e39", ";LC:SP",
                  {FullSlit, FullSlit, FullSlit}, {}, Commands{FullSlit}, {}, {{"leXSize", "2500.00"}}},
        ValueCase{"SlitSizeDroppedBesideTheBoxApplied", {}, Act::DropAside, nullptr, "leYSize", "1e39", ";LC:SP",
                  {FullSlit, FullSlit, FullSlit}, {";LC:SP 1,500.00,2500.00"}, std::nullopt,
                  {{11, "1,500.00,2500.00"}}, {{"leYSize", "1e39"}}},
        ValueCase{"EnergyReplyLevel7", {}, Act::Reply, &Form::QueryEnergy, ";LC:ED?", "7,99999", ";LC:ED ",
                  {";LC:ED 0,100", ";LC:ED 0,100"}, {";LC:ED?"}, Commands{";LC:ED 0,100"}, {}, {{"leEnergy", "100"}}},
        ValueCase{"EnergyReplyBeyondItsBox", {}, Act::Reply, &Form::QueryEnergy, ";LC:ED?", "1,1001", ";LC:ED ",
                  {";LC:ED 0,100", ";LC:ED 0,100"}, {";LC:ED?"}, Commands{";LC:ED 0,100"}, {}, {{"leEnergy", "100"}}},
        ValueCase{"SoundEnergyReply", {}, Act::Reply, &Form::QueryEnergy, ";LC:ED?", "1,250", ";LC:ED ",
                  {";LC:ED 0,100", ";LC:ED 0,100"}, {";LC:ED?", ";LC:ED 1,250"}, Commands{";LC:ED 1,250"},
                  {{1, "1,250"}}, {{"leEnergy", "250"}}},
        ValueCase{"RepRateReplyWithACommand", {}, Act::Reply, &Form::QueryRepRate, ";LC:RR?", "5;LC:FL 3", ";LC:RR",
                  {";LC:RR 50"}, {";LC:RR?"}, Commands{";LC:RR 50"}, {}, {{"leRepRate", "50"}}},
        ValueCase{"BurstCountReplyWithACommand", {}, Act::Reply, &Form::QueryBurstCount, ";LC:BU?", "5;LC:FL 3",
                  ";LC:BU", {";LC:BU 0"}, {";LC:BU?"}, Commands{";LC:BU 0"}, {}, {{"leBurstCount", "0"}}},
        ValueCase{"RepRateTypedBeyondItsBoxAndLeft", {}, Act::Type, nullptr, "leRepRate", "99", ";LC:RR",
                  {";LC:RR 50"}, {}, Commands{";LC:RR 50"}, {}, {{"leRepRate", "50"}}},
        ValueCase{"IlluminatorReplyAbove255", {}, Act::Reply, &Form::QueryFieldLED, ";LC:IL? 0", "102", ";LC:IL 0,",
                  {";LC:IL 0,0", ";LC:IL 0,0", ";LC:IL 0,128"}, {";LC:IL? 0"}, std::nullopt, {},
                  {{"edFieldLED", "50"}}},
        ValueCase{"AnglesBeyondTheirBoxes", {{8, "91"}, {12, "-46"}}, Act::Nothing, nullptr, {}, {}, ";LC:PA", {}, {},
                  std::nullopt, {}, {{"edPolarization", "0"}, {"edTheta", "0"}}},
        ValueCase{"PolarizationReplyBeyondItsBox", {{8, "30"}}, Act::Reply, &Form::QueryPolarizationAngle, ";LC:PA?",
                  "91", ";LC:PA", {}, {";LC:PA?"}, std::nullopt, {{8, "30"}}, {{"edPolarization", "30"}}}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.Name); });

} // namespace
