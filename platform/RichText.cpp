#include "platform/RichText.h"

#include "platform/TextFile.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <cmath>
#include <optional>

namespace platform {
namespace {

// What one run of characters looks like in the stream.
struct RunFormat
{
    qsizetype Colour = 0;   // index in the colour table; 0 is the reader's default
    qsizetype Font = 0;     // index in the font table
    bool Bold = false;
    int HalfPoints = 0;     // 0 when the size is given in pixels
    bool operator==(const RunFormat&) const = default;
};

// The tables of the stream header fill up while the body is written.
class RtfBuilder
{
public:
    explicit RtfBuilder(const QTextDocument& document) : DefaultFont(document.defaultFont())
    {
        FontIndex(DefaultFont.family());
    }

    void AddParagraph(const QTextBlock& block);
    QByteArray Result() const { return Header() + Body + "}\r\n"; }

private:
    QByteArray Header() const;
    RunFormat FormatOf(const QTextCharFormat& format);
    qsizetype ColourIndex(const QTextCharFormat& format);
    qsizetype FontIndex(const QString& family);
    void Switch(const RunFormat& format);
    void AddText(const QString& text);
    void AddCharacter(QChar character);
    void AddHexCode(unsigned code);

    QFont DefaultFont;
    QList<QColor> Colours;
    QStringList Fonts;
    std::optional<RunFormat> Current;
    QByteArray Body;
};

QByteArray RtfBuilder::Header() const
{
    QByteArray header = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (qsizetype index = 0; index < Fonts.size(); ++index) {
        header += "{\\f" + QByteArray::number(index) + "\\fnil\\fcharset0 ";
        header += Fonts[index].toLatin1() + ";}";
    }
    header += "}\r\n{\\colortbl ;";
    for (const QColor& colour : Colours) {
        header += "\\red" + QByteArray::number(colour.red()) + "\\green" + QByteArray::number(colour.green())
                  + "\\blue" + QByteArray::number(colour.blue()) + ';';
    }
    return header + "}\r\n\\viewkind4\\uc1\\pard";
}

void RtfBuilder::AddParagraph(const QTextBlock& block)
{
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        Switch(FormatOf(fragment.fragment().charFormat()));
        AddText(fragment.fragment().text());
    }
    Body += "\\par\r\n";
}

RunFormat RtfBuilder::FormatOf(const QTextCharFormat& format)
{
    const QFont font = format.font().resolve(DefaultFont);
    RunFormat run;
    run.Colour = ColourIndex(format);
    run.Font = FontIndex(font.family());
    run.Bold = font.bold();
    if (font.pointSizeF() > 0)
        run.HalfPoints = static_cast<int>(std::lround(font.pointSizeF() * 2));
    return run;
}

qsizetype RtfBuilder::ColourIndex(const QTextCharFormat& format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return 0;
    const QColor colour = format.foreground().color().toRgb();
    qsizetype index = Colours.indexOf(colour);
    if (index < 0) {
        Colours.append(colour);
        index = Colours.size() - 1;
    }
    return index + 1;
}

qsizetype RtfBuilder::FontIndex(const QString& family)
{
    qsizetype index = Fonts.indexOf(family);
    if (index < 0) {
        Fonts.append(family);
        index = Fonts.size() - 1;
    }
    return index;
}

// Only what changed is written; the control words end with one blank, which
// the reader takes as their delimiter.
void RtfBuilder::Switch(const RunFormat& format)
{
    if (Current == format)
        return;
    QByteArray words;
    if (!Current || Current->Colour != format.Colour)
        words += "\\cf" + QByteArray::number(format.Colour);
    if (!Current || Current->Bold != format.Bold)
        words += format.Bold ? "\\b" : "\\b0";
    if (!Current || Current->Font != format.Font)
        words += "\\f" + QByteArray::number(format.Font);
    if ((!Current || Current->HalfPoints != format.HalfPoints) && format.HalfPoints > 0)
        words += "\\fs" + QByteArray::number(format.HalfPoints);
    Body += words + ' ';
    Current = format;
}

void RtfBuilder::AddText(const QString& text)
{
    for (const QChar character : text)
        AddCharacter(character);
}

void RtfBuilder::AddCharacter(QChar character)
{
    const char16_t code = character.unicode();
    if (code == u'\\' || code == u'{' || code == u'}') {
        Body += '\\';
        Body += static_cast<char>(code);
    } else if (code == u'\t') {
        Body += "\\tab ";
    } else if (code == QChar::LineSeparator) {
        Body += "\\line ";
    } else if (code >= 0x20 && code < 0x7F) {
        Body += static_cast<char>(code);
    } else if (code <= 0xFF) {
        AddHexCode(code);
    } else {
        // RTF gives a 16-bit unit as a signed number.
        Body += "\\u" + QByteArray::number(static_cast<qint16>(code)) + '?';
    }
}

void RtfBuilder::AddHexCode(unsigned code)
{
    Body += "\\'" + QByteArray::number(code, 16).rightJustified(2, '0');
}

} // namespace

QByteArray RichTextOf(const QTextDocument& document)
{
    RtfBuilder builder(document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        builder.AddParagraph(block);
    return builder.Result();
}

void SaveRichTextToFile(const QString& fileName, const QTextDocument& document)
{
    SaveBytesToFile(fileName, RichTextOf(document));
}

} // namespace platform
