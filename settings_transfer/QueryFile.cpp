#include "settings_transfer/QueryFile.h"

#include "platform/Conversions.h"

#include <algorithm>

namespace QueryFile {

qsizetype Pos(const QString& part, const QString& text)
{
    if (part.isEmpty())
        return 0;
    return text.indexOf(part) + 1;
}

QString SubString(const QString& text, qsizetype from, qsizetype count)
{
    const qsizetype start = std::max<qsizetype>(from, 1) - 1;
    if (count <= 0 || start >= text.size())
        return QString();
    return text.mid(start, count);
}

QString From(const QString& text, qsizetype from)
{
    return SubString(text, from, text.size());
}

QString WithoutLineEnds(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    text.remove(QChar(u'\0'));
    return text;
}

QString WithoutLastCharacter(const QString& text)
{
    return SubString(text, 1, text.size() - 1);
}

void StripReplyTerminator(QString& text, const QString& terminator)
{
    const qsizetype at = Pos(terminator, text);
    if (at > 0)
        text.truncate(at - 1);
}

bool IsDataLine(const QString& line)
{
    for (const char* comment : {"/*", "*/", "//"}) {
        if (line.contains(QLatin1String(comment)))
            return false;
    }
    return line.contains(QLatin1Char(','));
}

LineKind KindOf(const QString& rest)
{
    if (rest.contains(QLatin1Char('|')))
        return LineKind::Typed;
    if (rest.contains(QLatin1Char('#')))
        return LineKind::Command;
    if (rest.contains(QLatin1Char('@')))
        return LineKind::DisplayOnly;
    if (rest.contains(QLatin1String(":SYST:SERN")))
        return LineKind::SerialNumber;
    return LineKind::PlainQuery;
}

QString TakeField(QString& fields)
{
    const qsizetype comma = Pos(QStringLiteral(","), fields);
    const QString field = SubString(fields, 1, comma - 1);
    fields = From(fields, comma + 1);
    return field;
}

int NumberField(const QString& field)
{
    return platform::StrToIntDef(field, 0);
}

QString SeparatorField(const QString& field)
{
    return field == QLatin1String("\\r") ? QStringLiteral("\r") : field;
}

QString ExtractValue(const QString& text, const Markers& markers, QString value)
{
    if (!markers.StartMarker.isEmpty())
        value = From(text, Pos(markers.StartMarker, text) + markers.StartOffset);
    if (!markers.EndMarker.isEmpty())
        value = SubString(value, 1, Pos(markers.EndMarker, value) + markers.EndOffset);
    return value;
}

} // namespace QueryFile
