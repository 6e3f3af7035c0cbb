#include "platform/OneLine.h"

#include <algorithm>

namespace platform {

namespace {

bool IsLineBreak(QChar character)
{
    return character == QLatin1Char('\r') || character == QLatin1Char('\n')
           || character == QChar::LineSeparator || character == QChar::ParagraphSeparator;
}

} // namespace

QString OneLine(const QString& text, int* caret)
{
    QString line;
    int lineCaret = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && IsLineBreak(text.at(end)))
            ++end;
        if (end == start)
            line += text.at(end++);
        else if (start > 0 && end < text.size())
            line += QLatin1Char(' ');
        if (caret != nullptr && *caret >= end)
            lineCaret = static_cast<int>(line.size());
        start = end;
    }
    if (caret != nullptr)
        *caret = lineCaret;
    return line;
}

bool HasLineBreak(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), IsLineBreak);
}

} // namespace platform
