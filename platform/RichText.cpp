#include "platform/RichText.h"

#include "platform/AnsiText.h"
#include "platform/TextFile.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QSet>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

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
        header += TextToAnsi(Fonts[index]) + ";}";
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
    } else if (const std::optional<std::uint8_t> byte = AnsiByte(code)) {
        AddHexCode(*byte);
    } else {
        // RTF gives a 16-bit unit as a signed number.
        Body += "\\u" + QByteArray::number(static_cast<qint16>(code)) + '?';
    }
}

void RtfBuilder::AddHexCode(unsigned code)
{
    Body += "\\'" + QByteArray::number(code, 16).rightJustified(2, '0');
}


// ---- Reading ----

// Groups nested deeper than this are read past and their text is dropped,
// so no stream can make the reader's state grow with its nesting.
constexpr std::size_t MaxDepth = 256;
// RTF bounds control words and their parameters; longer ones are read whole
// and cut, so they can never overflow.
constexpr qsizetype MaxWordLetters = 32;
constexpr int MaxParameterDigits = 10;

// Destinations that hold no text the rich edit shows.
bool IsHiddenDestination(const QByteArray& word)
{
    static const QSet<QByteArray> hidden = {
        "fonttbl", "colortbl", "stylesheet", "listtable", "listoverridetable", "info", "pict",
        "object", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "footnote", "annotation", "fldinst", "rsidtbl", "generator", "xmlnstbl",
        "themedata", "colorschememapping", "latentstyles", "datastore", "pntext", "pntxta",
        "pntxtb", "listtext", "filetbl", "revtbl", "bkmkstart", "bkmkend", "nonshppict",
    };
    return hidden.contains(word);
}

// Control words that stand for one character, as word processors write
// typographic quotes, dashes and spaces.
std::optional<char16_t> SymbolOf(const QByteArray& word)
{
    static const QHash<QByteArray, char16_t> symbols = {
        {"lquote", u'\u2018'},  {"rquote", u'\u2019'}, {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'},
        {"endash", u'\u2013'},  {"emdash", u'\u2014'}, {"bullet", u'\u2022'},    {"emspace", u'\u2003'},
        {"enspace", u'\u2002'}, {"tab", u'\t'},
    };
    const auto symbol = symbols.constFind(word);
    return symbol == symbols.cend() ? std::nullopt : std::optional<char16_t>(*symbol);
}

// Breaks that end a line as a paragraph's end does: a line break in the
// paragraph, a page or section break, the end of a table row.
bool EndsLine(const QByteArray& word)
{
    static const QSet<QByteArray> breaks = {"par", "line", "page", "sect", "row", "nestrow"};
    return breaks.contains(word);
}

bool EndsCell(const QByteArray& word)
{
    return word == "cell" || word == "nestcell";
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfReader
{
public:
    explicit RtfReader(const QByteArray& rtf) : Rtf(rtf) {}
    QString Text();

private:
    struct GroupState
    {
        bool Hidden = false;
        int FallbackLength = 1;  // characters that stand in for each \uN
    };

    bool AtEnd() const { return Position >= Rtf.size(); }
    char Next() const { return Rtf[Position]; }
    void OpenGroup();
    bool CloseGroup();
    void ReadControl();
    void ReadControlSymbol(char symbol);
    void ReadHexCharacter();
    void ReadControlWord();
    std::optional<int> ReadParameter();
    void ControlWord(const QByteArray& word, std::optional<int> parameter);
    void SkipBinary(std::optional<int> length);
    void AddUnicode(std::optional<int> code);
    void EndCell();
    void EndLine();
    void Add(char16_t character);
    void PassOver();

    const QByteArray& Rtf;
    qsizetype Position = 0;
    GroupState State;
    std::vector<GroupState> Outer;
    std::size_t DroppedDepth = 0;  // groups open beyond MaxDepth
    int FallbackLeft = 0;         // stand-in characters of the last \uN still to skip
    qsizetype CellSeparator = -1; // where the last cell's separator stands in the text
    QString Result;
};

QString RtfReader::Text()
{
    while (!AtEnd()) {
        const char byte = Rtf[Position++];
        if (byte == '{') {
            OpenGroup();
        } else if (byte == '}') {
            if (!CloseGroup())
                break;
        } else if (byte == '\\') {
            ReadControl();
        } else if (byte != '\r' && byte != '\n') {
            Add(AnsiCharacter(static_cast<std::uint8_t>(byte)));
        }
    }
    return Result;
}

void RtfReader::OpenGroup()
{
    FallbackLeft = 0;
    if (Outer.size() < MaxDepth)
        Outer.push_back(State);
    else
        ++DroppedDepth;
}

// False once the outermost group has closed: what follows is not the document's.
bool RtfReader::CloseGroup()
{
    FallbackLeft = 0;
    if (DroppedDepth > 0) {
        --DroppedDepth;
        return true;
    }
    if (Outer.empty())
        return false;
    State = Outer.back();
    Outer.pop_back();
    return !Outer.empty();
}

void RtfReader::ReadControl()
{
    if (AtEnd())
        return;
    if (IsLetter(Next()))
        ReadControlWord();
    else
        ReadControlSymbol(Rtf[Position++]);
}

void RtfReader::ReadControlSymbol(char symbol)
{
    if (DroppedDepth > 0)
        return;
    switch (symbol) {
    case '\'': ReadHexCharacter(); break;
    case '\\': case '{': case '}': Add(static_cast<unsigned char>(symbol)); break;
    case '*': State.Hidden = true; break;
    case '~': Add(u'\u00A0'); break;
    case '_': Add(u'\u2011'); break;
    case '\r': case '\n': Add(u'\n'); break;
    default: PassOver(); break;
    }
}

void RtfReader::ReadHexCharacter()
{
    if (Rtf.size() - Position < 2 || HexDigit(Rtf[Position]) < 0 || HexDigit(Rtf[Position + 1]) < 0) {
        PassOver();
        return;
    }
    const int code = HexDigit(Rtf[Position]) * 16 + HexDigit(Rtf[Position + 1]);
    Position += 2;
    Add(AnsiCharacter(static_cast<std::uint8_t>(code)));
}

void RtfReader::ReadControlWord()
{
    const qsizetype start = Position;
    while (!AtEnd() && IsLetter(Next()))
        ++Position;
    const QByteArray word = Rtf.mid(start, std::min(Position - start, MaxWordLetters));
    const std::optional<int> parameter = ReadParameter();
    // A blank ends the word and belongs to it.
    if (!AtEnd() && Next() == ' ')
        ++Position;
    ControlWord(word, parameter);
}

std::optional<int> RtfReader::ReadParameter()
{
    const bool negative = Rtf.size() - Position >= 2 && Next() == '-' && IsDigit(Rtf[Position + 1]);
    if (negative)
        ++Position;
    if (AtEnd() || !IsDigit(Next()))
        return std::nullopt;
    long long value = 0;
    for (qsizetype digits = 0; !AtEnd() && IsDigit(Next()); ++Position, ++digits) {
        if (digits < MaxParameterDigits)
            value = value * 10 + (Next() - '0');
    }
    value = std::min<long long>(value, std::numeric_limits<int>::max());
    return static_cast<int>(negative ? -value : value);
}

void RtfReader::ControlWord(const QByteArray& word, std::optional<int> parameter)
{
    if (word == "bin")
        SkipBinary(parameter);
    else if (DroppedDepth > 0)
        return;
    else if (EndsLine(word))
        EndLine();
    else if (EndsCell(word))
        EndCell();
    else if (const std::optional<char16_t> symbol = SymbolOf(word))
        Add(*symbol);
    else if (word == "u")
        AddUnicode(parameter);
    else if (word == "uc")
        State.FallbackLength = std::max(parameter.value_or(1), 0);
    else if (IsHiddenDestination(word))
        State.Hidden = true;
    else
        PassOver();
}

void RtfReader::SkipBinary(std::optional<int> length)
{
    Position += std::min<qsizetype>(std::max(length.value_or(0), 0), Rtf.size() - Position);
}

// RTF gives a 16-bit unit as a signed number; the characters after it stand
// in for readers that know no Unicode.
void RtfReader::AddUnicode(std::optional<int> code)
{
    if (!code)
        return;
    const int unit = *code < 0 ? *code + 0x10000 : *code;
    Add(static_cast<char16_t>(std::clamp(unit, 0, 0xFFFF)));
    FallbackLeft = State.FallbackLength;
}

// Cells of a table row are never glued together: a tab stands between them,
// as between the columns of a table copied as text.
void RtfReader::EndCell()
{
    const qsizetype before = Result.size();
    Add(u'\t');
    CellSeparator = Result.size() > before ? before : -1;
}

// The last cell of a row is followed by no separator: the row's line ends there.
void RtfReader::EndLine()
{
    if (!State.Hidden && CellSeparator >= 0 && CellSeparator == Result.size() - 1)
        Result.chop(1);
    CellSeparator = -1;
    Add(u'\n');
}

void RtfReader::Add(char16_t character)
{
    if (DroppedDepth > 0)
        return;
    if (FallbackLeft > 0) {
        --FallbackLeft;
        return;
    }
    // An 8-bit text ends at a zero byte; one inside a stream is dropped.
    if (!State.Hidden && character != 0)
        Result += QChar(character);
}

// Any other control counts as one stand-in character after a \uN.
void RtfReader::PassOver()
{
    if (FallbackLeft > 0)
        --FallbackLeft;
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

bool IsRichText(const QByteArray& contents)
{
    return contents.startsWith("{\\rtf");
}

QString PlainTextOfRichText(const QByteArray& rtf)
{
    return RtfReader(rtf).Text();
}

QString LoadRichEditText(const QString& fileName)
{
    const QByteArray contents = ReadFileBytes(fileName);
    QString text = IsRichText(contents) ? PlainTextOfRichText(contents) : AnsiToText(contents);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace platform
