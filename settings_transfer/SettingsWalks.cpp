#include "settings_transfer/SettingsWalks.h"

#include <utility>

using namespace QueryFile;
using Walk = TransferWindow::Walk;

namespace {

constexpr int LinePauseMs = 20;
constexpr int CommandLinePauseMs = 50;
const QString LineEnd = QStringLiteral("\r\n");
const QString CarriageReturn = QStringLiteral("\r");
const QString WholeReply;

// The bar of 100 steps moves once every N x 0.01 + 1 lines (truncated), so a
// walk never takes it past its maximum.
class ProgressTicks
{
public:
    explicit ProgressTicks(qsizetype lines) : Steps(lines / 100 + 1) {}

    bool Tick()
    {
        if (++Ticks < Steps)
            return false;
        Ticks = 0;
        return true;
    }

private:
    qsizetype Steps;
    qsizetype Ticks = 0;
};

// Every line of either walk takes its pause and counts toward the bar.
void PaceLine(TransferWindow& window, Walk walk, ProgressTicks& progress)
{
    window.Pause(LinePauseMs);
    if (progress.Tick())
        window.StepProgress(walk);
}

// An error code, or a value the instrument could not give: the line yields nothing.
bool IsRefused(const QString& reply)
{
    return reply.contains(QLatin1Char('?'));
}

QString LabelOf(const QString& line)
{
    return SubString(line, 1, Pos(QStringLiteral(","), line) - 1);
}

QString AfterFirst(const QString& marker, const QString& text)
{
    return From(text, Pos(marker, text) + 1);
}

Markers TakeMarkers(QString& fields)
{
    Markers markers;
    markers.StartMarker = TakeField(fields);
    markers.StartOffset = NumberField(TakeField(fields));
    markers.EndMarker = TakeField(fields);
    return markers;
}

// A pick line without a start marker takes each value from the start of the
// remainder, as if the marker stood just before it. Cut from the previous
// value instead, the line would never move past the reply's first item.
QString PickValue(const QString& remainder, const Markers& markers, const QString& previous)
{
    if (markers.StartMarker.isEmpty())
        return ExtractValue(remainder, markers, From(remainder, markers.StartOffset));
    return ExtractValue(remainder, markers, previous);
}

} // namespace

void SettingsQuery::QueryInstrumentSettings(const QStringList& lines)
{
    DeferRestoreLines = false;
    ClearDeferredRestoreLines();
    ProgressTicks progress(lines.size());
    for (qsizetype index = 0; index < lines.size(); ++index) {
        PaceLine(Window, Walk::Download, progress);
        const QString line = WithoutLineEnds(lines[index]);
        if (IsDataLine(line)) {
            RunDataLine(line);
            if (Window.WriteFailed())
                return;
            Window.LineDone(Walk::Download, static_cast<int>(index + 1));
        } else {
            FollowComment(line);
            Window.Repaint();
        }
    }
    for (const QString& held : std::as_const(DeferredRestoreLines))
        Window.AddToRestoreFile(held);
}

void SettingsQuery::AddRestoreLine(const QString& line)
{
    const QString restoreLine = WithoutLineEnds(line);
    if (DeferRestoreLines)
        DeferredRestoreLines.append(restoreLine);
    else
        Window.AddToRestoreFile(restoreLine);
}

void SettingsQuery::ClearValueMap()
{
    ValueMap.fill({});
}

void SettingsQuery::ClearValueList()
{
    ValueList.fill({});
}

void SettingsQuery::ClearDeferredRestoreLines()
{
    DeferredRestoreLines.clear();
}

// "/*" opens a held-back section and "*/" closes it; a line with both leaves it closed.
void SettingsQuery::FollowComment(const QString& line)
{
    if (line.contains(QLatin1String("/*")))
        DeferRestoreLines = true;
    if (line.contains(QLatin1String("*/")))
        DeferRestoreLines = false;
}

void SettingsQuery::RunDataLine(const QString& line)
{
    const QString label = LabelOf(line);
    const QString rest = AfterFirst(QStringLiteral(","), line);
    switch (KindOf(rest)) {
    case LineKind::Typed: RunTypedLine(label, rest); break;
    case LineKind::Command: RunCommandLine(label, rest); break;
    case LineKind::DisplayOnly: RunDisplayOnlyQuery(label, rest); break;
    case LineKind::SerialNumber: RunSerialNumberQuery(label, rest); break;
    case LineKind::PlainQuery: RunPlainQuery(label, rest); break;
    }
}

void SettingsQuery::RunPlainQuery(const QString& label, const QString& rest)
{
    const QString reply = Reply(rest, TransferWindow::InstrumentQuery, LineEnd);
    if (YieldsNothing(reply))
        return;
    AddSetting(label, rest, reply);
}

void SettingsQuery::RunSerialNumberQuery(const QString& label, const QString& rest)
{
    const QString reply = Reply(AfterFirst(QStringLiteral(","), rest), TransferWindow::InstrumentQuery, LineEnd);
    if (YieldsNothing(reply))
        return;
    const qsizetype blank = Pos(QStringLiteral(" "), reply);
    const QString serial = blank > 0 ? From(reply, blank + 1) : WithoutLastCharacter(reply);
    AddRestoreLine(label + QStringLiteral(",*SER ") + serial);
    AddSettingLine(label, reply);
}

void SettingsQuery::RunDisplayOnlyQuery(const QString& label, const QString& rest)
{
    const QString reply = Reply(AfterFirst(QStringLiteral("@"), rest), TransferWindow::InstrumentQuery, LineEnd);
    if (YieldsNothing(reply))
        return;
    AddSettingLine(label, reply);
}

void SettingsQuery::RunCommandLine(const QString& label, const QString& rest)
{
    const QString command = AfterFirst(QStringLiteral("#"), rest);
    Window.Pause(CommandLinePauseMs);
    const QString reply = Reply(command, TransferWindow::AcknowledgedCommand, LineEnd);
    if (YieldsNothing(reply))
        return;
    AddRestoreLine(label + QLatin1Char(',') + command);
}

// "|", the type, ",", then the type's fields.
void SettingsQuery::RunTypedLine(const QString& label, const QString& rest)
{
    const qsizetype bar = Pos(QStringLiteral("|"), rest);
    const qsizetype comma = Pos(QStringLiteral(","), rest);
    const QString fields = From(rest, comma + 1);
    switch (NumberField(SubString(rest, bar + 1, comma - bar - 1))) {
    case 1: RunExtractLine(label, fields); break;
    case 2: RunLookupLine(label, fields); break;
    case 3: RunListLine(label, fields); break;
    case 4: RunPickLine(label, fields); break;
    default: break;
    }
}

void SettingsQuery::RunExtractLine(const QString& label, QString fields)
{
    const QString command = TakeField(fields);
    Markers markers = TakeMarkers(fields);
    markers.EndOffset = NumberField(fields);
    QString reply = Reply(command, TransferWindow::AcknowledgedCommand, LineEnd);
    StripReplyTerminator(reply, CarriageReturn);
    if (YieldsNothing(reply))
        return;
    AddSetting(label, command, ExtractValue(reply, markers, reply));
}

void SettingsQuery::RunLookupLine(const QString& label, QString fields)
{
    ClearValueMap();
    const QString command = TakeField(fields);
    const std::size_t pairs = ReadValueMap(fields);
    QString reply = Reply(command, TransferWindow::AcknowledgedCommand, LineEnd);
    StripReplyTerminator(reply, CarriageReturn);
    if (YieldsNothing(reply))
        return;
    AddSetting(label, command, LookUp(reply, pairs));
}

// Pairs of reply text and value, up to one whose reply text is empty or the limit.
std::size_t SettingsQuery::ReadValueMap(QString& fields)
{
    std::size_t pairs = 0;
    while (pairs < ValueLimit) {
        auto& [replyText, value] = ValueMap[pairs++];
        replyText = TakeField(fields);
        value = TakeField(fields);
        if (replyText.isEmpty())
            break;
    }
    return pairs;
}

// The later of two pairs for the same reply wins; a reply with no pair stands for itself.
QString SettingsQuery::LookUp(const QString& reply, std::size_t pairs) const
{
    for (std::size_t pair = pairs; pair-- > 0;) {
        if (ValueMap[pair].first == reply)
            return ValueMap[pair].second;
    }
    return reply;
}

// Each token before a separator is one setting, numbered from 0; the text
// after the last separator is not one.
void SettingsQuery::RunListLine(const QString& label, QString fields)
{
    const QString command = TakeField(fields);
    const QString separator = SeparatorField(fields);
    QString remainder = Reply(command, TransferWindow::AcknowledgedCommand, WholeReply);
    if (YieldsNothing(remainder))
        return;
    for (int number = 0;; ++number) {
        const qsizetype at = Pos(separator, remainder);
        const QString token = SubString(remainder, 1, at - 1);
        remainder = From(remainder, at + 1);
        if (token.isEmpty())
            return;
        AddRestoreLine(label + QLatin1Char(',') + WithoutLastCharacter(command) + QLatin1Char(' ')
                       + QString::number(number) + QLatin1Char(' ') + token);
        AddSettingLine(label, token);
    }
}

void SettingsQuery::RunPickLine(const QString& label, QString fields)
{
    ClearValueList();
    const QString command = TakeField(fields);
    Markers markers = TakeMarkers(fields);
    markers.EndOffset = NumberField(TakeField(fields));
    const QString separator = SeparatorField(TakeField(fields));
    const int index = NumberField(fields);
    const QString reply = Reply(command, TransferWindow::AcknowledgedCommand, WholeReply);
    if (YieldsNothing(reply))
        return;
    CollectValueList(reply, separator, markers);
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < ValueLimit;
    AddSetting(label, command, listed ? ValueList[static_cast<std::size_t>(index)] : QString());
}

// Each pass moves the remainder past the next separator and extracts a value
// from it, until a value comes out empty or the list is full.
void SettingsQuery::CollectValueList(const QString& reply, const QString& separator, const Markers& markers)
{
    QString remainder = reply;
    QString value = reply;
    std::size_t count = 0;
    do {
        const qsizetype at = Pos(separator, remainder);
        if (at > 0)
            remainder = From(remainder, at + 1);
        value = PickValue(remainder, markers, value);
        if (!value.isEmpty())
            ValueList[count++] = value;
    } while (!value.isEmpty() && count < ValueLimit);
}

QString SettingsQuery::Reply(const QString& command, int mode, const QString& terminator)
{
    QString reply = Window.SendInstrumentCommand(command, mode);
    StripReplyTerminator(reply, terminator);
    return reply;
}

// A command that could not be written has no reply, whatever was read.
bool SettingsQuery::YieldsNothing(const QString& reply) const
{
    return Window.WriteFailed() || IsRefused(reply);
}

// The restore line sets what the query read: the query less its last
// character, a blank and the value.
void SettingsQuery::AddSetting(const QString& label, const QString& command, const QString& value)
{
    AddRestoreLine(label + QLatin1Char(',') + WithoutLastCharacter(command) + QLatin1Char(' ') + value);
    AddSettingLine(label, value);
}

void SettingsQuery::AddSettingLine(const QString& label, const QString& value)
{
    Window.AddSettingLine(label + QLatin1Char(',') + WithoutLineEnds(value));
}

void RestoreInstrumentSettings(TransferWindow& window, const QStringList& lines)
{
    ProgressTicks progress(lines.size());
    for (qsizetype index = 0; index < lines.size(); ++index) {
        PaceLine(window, Walk::Upload, progress);
        const QString line = WithoutLineEnds(lines[index]);
        if (line.isEmpty() || line.contains(QLatin1String("//")) || !line.contains(QLatin1Char(',')))
            continue;
        const QString command = AfterFirst(QStringLiteral(","), line);
        window.SendInstrumentCommand(command, TransferWindow::AcknowledgedCommand);
        if (window.WriteFailed())
            return;
        window.AddSettingLine(LabelOf(line) + QLatin1Char(',') + AfterFirst(QStringLiteral(" "), command));
        window.LineDone(Walk::Upload, static_cast<int>(index + 1));
    }
}
