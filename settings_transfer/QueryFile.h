#pragma once

#include <QString>

// The text rules of settings query files (".iqf") and restore files (".irf").
// Positions are counted from 1, as the files' offsets are written; searches
// and comparisons are case-sensitive.
namespace QueryFile {

// Where part first occurs in text, counted from 1; 0 when it does not occur
// or part is empty.
qsizetype Pos(const QString& part, const QString& text);

// count characters from position from. A position below 1 means from the
// first character; a count of 0 or less, or a start past the end, gives an
// empty text; a count past the end stops at the end.
QString SubString(const QString& text, qsizetype from, qsizetype count);

// From position from to the end, with the rules of SubString.
QString From(const QString& text, qsizetype from);

// The text without carriage returns, line feeds and zero characters. A reply
// from a noisy line may hold them anywhere; in a restore line they would
// split one setting into two lines, and the second would be sent as a
// command of its own.
QString WithoutLineEnds(QString text);

// A query ending in "?" becomes the matching set command.
QString WithoutLastCharacter(const QString& text);

// Cuts the text before the first occurrence of the terminator; a text
// without it stays as it is.
void StripReplyTerminator(QString& text, const QString& terminator);

// A line that is not empty, holds none of "/*", "*/" and "//", and holds a
// ","; every other line is a comment line and sends nothing.
bool IsDataLine(const QString& line);

// The kind of a data line, from the text after its label's ",", first match winning.
enum class LineKind {
    Typed,         // holds "|"
    Command,       // holds "#"
    DisplayOnly,   // holds "@"
    SerialNumber,  // holds ":SYST:SERN"
    PlainQuery,
};
LineKind KindOf(const QString& rest);

// Takes the field up to the next "," off the front of fields. With no ","
// left the field reads empty and fields stay as they are.
QString TakeField(QString& fields);

// Offsets and indexes are decimal whole numbers; any other text counts as 0.
int NumberField(const QString& field);

// A separator written as backslash and r stands for one carriage return.
QString SeparatorField(const QString& field);

// Where a value starts and ends in a reply.
struct Markers
{
    QString StartMarker;
    int StartOffset = 0;
    QString EndMarker;
    int EndOffset = 0;
};

// From value: with a start marker, the value becomes the text from the
// marker's position plus the start offset to the end; then, with an end
// marker, its first (the end marker's position in it plus the end offset)
// characters.
QString ExtractValue(const QString& text, const Markers& markers, QString value);

} // namespace QueryFile
