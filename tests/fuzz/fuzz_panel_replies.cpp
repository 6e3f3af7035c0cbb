// The instrument's replies against arbitrary bytes. The terminal's handling
// of a reply: cut at its first carriage return, and the error-table row of
// the first error code found. The panels' queries, each parser and what it
// sends back or keeps: both panels, shown with a new file, read every setting
// and status from the replies and then write their settings back; every
// command holds only values their controls take, and the files their closes
// write hold only such values and read back as what the panels hold. No
// crash, no sanitizer report; the only exceptions shown are conversion errors.
//
// Input: the replies separated by 0x01, given to the commands in turn and
// over again.

#include "PanelHarness.h"
#include "terminal/Main.h"
#include "terminal/TerminalTraffic.h"

#include <cstddef>
#include <cstdint>

namespace {

using fuzz::Require;

void RequireCutAtCarriageReturn(const QString& reply)
{
    QString cut = reply;
    TCommTermForm::StripTerminatorFromString(cut, QStringLiteral("\r"));
    Require(!cut.contains(QLatin1Char('\r')) && reply.startsWith(cut));
    Require(cut.size() == reply.size() || reply.at(cut.size()) == QLatin1Char('\r'));
}

// The row names a code the reply holds, and no code tried before it is held.
void RequireErrorRow(const QString& reply)
{
    QStringList tried;
    for (int row = 0; row <= 9; ++row)
        tried << QStringLiteral("?E%1").arg(row);
    for (int row = 1; row <= 7; ++row)
        tried << QStringLiteral("?%1").arg(row);
    qsizetype first = 0;
    while (first < tried.size() && !reply.contains(tried.at(first)))
        ++first;
    const int row = ErrorCodeRow(reply);
    if (first == tried.size())
        Require(row == -1);
    else
        Require(row == tried.at(first).back().digitValue());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> replies = input.split('\x01');
    for (const QByteArray& reply : replies) {
        RequireCutAtCarriageReturn(platform::AnsiToText(reply));
        RequireErrorRow(platform::AnsiToText(reply));
    }

    fuzz::World& world = fuzz::World::Get();
    TTessalineControlForm& tessaline = *world.Tessaline;
    TOrvaneControlForm& orvane = *world.Orvane;
    QFile::remove(TessalineConfigFileName());
    QFile::remove(orvane::ConfigFileName());
    world.Line.Answer({});
    platform::RunGuarded([&] {
        tessaline.FormShow();
        orvane.FormShow();
    });
    world.Line.Take();

    world.Line.Answer(replies);
    using Tessaline = TTessalineControlForm;
    fuzz::RunEach(tessaline, {&Tessaline::cmdUpdateClick, &Tessaline::QueryTheta, &Tessaline::QueryEnergyMonitor,
                              &Tessaline::tmrStatusTimer, &Tessaline::cmdRefreshClick, &Tessaline::FormClose});
    world.Line.TakeSound(fuzz::SoundTessalineCommand);
    // "Read Laser" and "Write to Laser" without their pauses.
    using Orvane = TOrvaneControlForm;
    fuzz::RunEach(orvane, {&Orvane::QueryParameterSet, &Orvane::QueryFrequency, &Orvane::QueryDiodeCurrentSet,
                           &Orvane::QueryPulseMode, &Orvane::QueryShutter, &Orvane::tmrStatusTimer});
    fuzz::WriteToLaser(orvane);
    fuzz::RunEach(orvane, {&Orvane::FormClose});
    world.Line.TakeSound(fuzz::SoundOrvaneCommand);
    fuzz::RequireSoundTessalineFile(fuzz::ReadFile(TessalineConfigFileName()), tessaline);
    fuzz::RequireSoundOrvaneFile(fuzz::ReadFile(orvane::ConfigFileName()), orvane);
    fuzz::RequireOnlyConversionErrors(world.Ui.Exceptions);
    return 0;
}
