#include "platform/Exceptions.h"
#include "platform/RichText.h"

#include "support/Files.h"

#include <QTemporaryDir>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include <sys/stat.h>

namespace {

QTextCharFormat Coloured(const QColor& colour, bool bold)
{
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

// The body after the header: from the first control words of the text on.
QByteArray Body(const QByteArray& rtf)
{
    return rtf.mid(rtf.indexOf("\\pard") + 5);
}

// Written as plain ASCII, and read back as it was written.
TEST(RichText, SpecialAndNonAsciiCharactersAreEscapedAsEightBitText)
{
    const QString text = QStringLiteral("a\\b{c}d\te\u00E9\u0001\u007F\u20AC\u201C\u03A9");
    QTextDocument document;
    QTextCursor(&document).insertText(text);

    // The code page's own characters as its bytes, any other as its code.
    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(Body(rtf).contains("a\\\\b\\{c\\}d\\tab e\\'e9\\'01\\'7f\\'80\\'93\\u937?\\par"))
        << rtf.constData();
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; }));
    EXPECT_EQ(platform::PlainTextOfRichText(rtf), text + QLatin1Char('\n'));
}

TEST(RichText, EachBlockIsOneParagraphInItsOwnColourWeightAndTheDocumentFont)
{
    QTextDocument document;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    document.setDefaultFont(font);
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("sent"), Coloured(Qt::black, true));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("reply"), Coloured(QColor(0, 128, 0), true));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("again"), Coloured(Qt::black, false));

    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi") && rtf.trimmed().endsWith('}'));
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset0 MS Sans Serif;}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}")) << rtf.constData();
    const QByteArray body = Body(rtf);
    EXPECT_EQ(body.count("\\par"), 3);
    const qsizetype sent = body.indexOf("\\cf1\\b\\f0\\fs16 sent\\par");
    const qsizetype reply = body.indexOf("\\cf2 reply\\par");
    const qsizetype again = body.indexOf("\\cf1\\b0 again\\par");
    EXPECT_TRUE(sent >= 0 && reply > sent && again > reply) << body.constData();
}

TEST(RichTextReader, GivesTheTextOfGroupsControlWordsEscapesAndCharacters)
{
    const std::pair<QByteArray, QString> rows[] = {
        {R"({\rtf1\ansi{\fonttbl{\f0\fnil Arial;}}{\colortbl ;\red0\green0\blue0;}\pard\f0\fs22 a\par b})", "a\nb"},
        {R"({\rtf1 x\\y\{z\}\tab w\line v\~u\_t\-s\par})", QStringLiteral("x\\y{z}\tw\nv\u00A0u\u2011ts\n")},
        {R"({\rtf1 caf\'e9\'4a\'zz\'4})", QStringLiteral("caf\u00E9Jzz4")},
        {"{\\rtf1 \\'93OK\\'94 \\'80\x92\x9d}", QStringLiteral("\u201COK\u201D \u20AC\u2019\u009D")},
        {R"({\rtf1\uc1 a\u8364?b\uc0 c\u-4064 d{\uc2\u233\'3f\'3fx}\u65 A})",
         QStringLiteral("a\u20ACbc\uF020d\u00E9xAA")},
        {R"({\rtf1{\*\generator Riched20;}{\info{\author me}}{\*\unknown {x}y}{\fldinst HYPER}text})", "text"},
        {R"({\rtf1\b0 A\b B\sa-200 C\fs1234567890123 D\abcdefghijklmnopqrstuvwxyzabcdefghijklm E})", "ABCDE"},
        {"{\\rtf1 a\\bin3 {}}b\\bin999}", "ab"},
        {"{\\rtf1 a\r\nb\\\r\nc}d", "ab\nc"},
        {"{\\rtf1 a\\'4", "a4"},
        {"{\\rtf1 a\\", "a"},
        {"}a", ""},
    };
    for (const auto& [rtf, text] : rows)
        EXPECT_EQ(platform::PlainTextOfRichText(rtf), text) << rtf.constData();

    // Text nested deeper than any word processor writes is dropped.
    for (const auto& [depth, text] : {std::pair<int, const char*>{250, "xy"}, {100000, "y"}}) {
        const QByteArray deep = "{\\rtf1 " + QByteArray(depth, '{') + "{\\*\\x h}x" + QByteArray(depth, '}') + "y}";
        EXPECT_EQ(platform::PlainTextOfRichText(deep), text) << depth;
    }
}

// A control word's blank delimiter is no text; a control symbol has none.
TEST(RichTextReader, SymbolWordsGiveTheirCharacters)
{
    const std::pair<const char*, QChar> rows[] = {
        {"\\lquote ", u'\u2018'},  {"\\rquote ", u'\u2019'}, {"\\ldblquote ", u'\u201C'}, {"\\rdblquote ", u'\u201D'},
        {"\\endash ", u'\u2013'},  {"\\emdash ", u'\u2014'}, {"\\bullet ", u'\u2022'},    {"\\emspace ", u'\u2003'},
        {"\\enspace ", u'\u2002'}, {"\\~", u'\u00A0'},       {"\\_", u'\u2011'},         {"\\tab ", u'\t'},
    };
    for (const auto& [word, character] : rows) {
        const QByteArray rtf = QByteArray("{\\rtf1 a") + word + "b{\\*\\x" + word + "}}";
        EXPECT_EQ(platform::PlainTextOfRichText(rtf), QStringLiteral("a") + character + QStringLiteral("b")) << word;
    }
}

// A line ends wherever the word processor starts a new one; the cells of a
// table row stand apart, a tab between each two and none after the last.
TEST(RichTextReader, BreaksEndALineAndTableCellsStandApart)
{
    const std::pair<const char*, const char*> rows[] = {
        {R"({\rtf1 A\par B\line C\page D\sect E})", "A\nB\nC\nD\nE"},
        {R"({\rtf1 A{\page }B\sect\sectd C\par})", "A\nB\nC\n"},
        {R"({\rtf1\trowd\cellx100\cellx200 A\cell B\cell\row C})", "A\tB\nC"},
        {R"({\rtf1 A\cell \cell \row \intbl B\cell{\trowd\cellx9\row }})", "A\t\nB\n"},
        {R"({\rtf1 A\nestcell B\nestcell\nestrow C\cell\row})", "A\tB\nC\n"},
        {R"({\rtf1 A\cell{\*\x B}\row \tab\row})", "A\n\t\n"},
    };
    for (const auto& [rtf, text] : rows)
        EXPECT_EQ(platform::PlainTextOfRichText(rtf), QString::fromUtf8(text)) << rtf;
}

// Query files as WordPad, Word and LibreOffice save them, with what each
// writes around the text: every line of the document is one line of text.
TEST(RichTextReader, ReadsWordProcessorFilesLineByLineAsTheyShow)
{
    const QByteArray wordPad = R"({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1033
{\fonttbl{\f0\fnil\fcharset0 Calibri;}}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\f0\fs22\lang9 // Operator\rquote s \ldblquote laser\rdblquote  file\par
\bullet\tab Power,:SOUR:POW?\page Wavelength,:SOUR:WAV?\par
Range,|1,:RANG?,=,1,\endash ,-1\par
}
)";
    const QByteArray word = R"({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff31507\deff0\stshfdbch31505\deflang1033
{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}}
{\colortbl;\red0\green0\blue0;}{\*\defchp \f31506\fs22 }{\stylesheet{\ql \snext0 Normal;}}
{\*\rsidtbl \rsid1336620}{\mmathPr\mmathFont34\mbrkBin0}{\info{\author Operator}{\creatim\yr2024}}
{\*\xmlnstbl {\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}\paperw12240\ltrsect 
\sectd \ltrsect\sftnbj {\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}
\pard\plain \ltrpar\ql \rtlch\fcs1 \af31507 \ltrch\fcs0 \f31506\fs22 
{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid1336620 Power,:SOUR:POW?}{\rtlch\fcs1 \af31507 \insrsid1336620 \page }
{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid1336620 Mode,#:MODE\~1}{\insrsid1336620 \sect }
\sectd \ltrsect\trowd \irow0\irowband0\ltrrow\trgaph108\cellx4567\cellx9242\pard\plain \intbl 
{\insrsid1336620 Energy,}{\insrsid1336620 \cell }{\insrsid1336620 :SOUR:ENER?\cell }
\pard\plain \intbl {\insrsid1336620 \trowd \irow0\cellx4567\cellx9242\row }
\pard\plain {\insrsid1336620 \par }{\*\themedata 504b03041400}
{\*\latentstyles\lsdstimax376{\lsdlockedexcept \lsdqformat1 Normal;}}{\*\datastore 01050000}})";
    const QByteArray libreOffice = R"({\rtf1\ansi\deff4\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f3\froman\fprq2\fcharset0 Liberation Serif{\*\falt Times};}}
{\colortbl;\red0\green0\blue0;}
{\stylesheet{\s0\snext0\rtlch\af8\afs24\alang1081 \ltrch\hich\af3\loch\f3\fs24 Normal;}
}{\*\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}{\info{\creatim\yr2024\mo3\dy4}
{\printim\yr0\mo0\dy0\hr0\min0}}{\*\userprops}\deftab709
\hyphauto1\viewscale100\sectd\sbknone\sectunlocked1\pgwsxn11906
{\*\ftnsep\chftnsep}\pgndec\pard\plain \s0\rtlch\af8\afs24 \ltrch\hich\af3\loch\ql\ltrpar{\loch
// Operator\u8217\'92s settings}
\par \pard\plain \s0\ql\ltrpar{\loch
Power,:SOUR:POW?}
\par \trowd\trql\trleft0\ltrrow\trpaddft3\cellx4819\cellx9638\pard\plain \s20\intbl\ql\ltrpar{\loch
Label}\cell\pard\plain \s20\intbl\ql\ltrpar{\loch
Query}\cell\row\pard\plain \s0\pagebb\ql\ltrpar{\loch
Wavelength,:SOUR:WAV?}
\par })";
    const std::pair<QByteArray, QString> files[] = {
        {wordPad, QStringLiteral("// Operator\u2019s \u201Claser\u201D file\n\u2022\tPower,:SOUR:POW?\n"
                                 "Wavelength,:SOUR:WAV?\nRange,|1,:RANG?,=,1,\u2013,-1\n")},
        {word, QStringLiteral("Power,:SOUR:POW?\nMode,#:MODE\u00A01\nEnergy,\t:SOUR:ENER?\n\n")},
        {libreOffice,
         QStringLiteral("// Operator\u2019s settings\nPower,:SOUR:POW?\nLabel\tQuery\nWavelength,:SOUR:WAV?\n")},
    };
    for (const auto& [rtf, text] : files)
        EXPECT_EQ(platform::PlainTextOfRichText(rtf), text) << rtf.left(60).constData();
}

TEST(RichTextReader, LoadsAFileAsTheRichEditDoes)
{
    QTemporaryDir folder;
    const std::pair<QByteArray, QString> files[] = {
        {"a\r\nb\rc\nd\xe9\r\n", QStringLiteral("a\nb\nc\nd\u00E9\n")},
        {"{\\rtf1 a\\par b\\par }", "a\nb\n"},
        {" {\\rtf1 a}", " {\\rtf1 a}"},
    };
    for (const auto& [contents, text] : files) {
        ASSERT_TRUE(WriteWholeFile(folder.filePath("file.iqf"), contents));
        EXPECT_EQ(platform::LoadRichEditText(folder.filePath("file.iqf")), text) << contents.constData();
    }
    const QString fifo = folder.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& unreadable : {fifo, folder.path(), folder.filePath(QStringLiteral("missing.iqf"))})
        EXPECT_THROW(platform::LoadRichEditText(unreadable), EFileError) << unreadable.toStdString();
}

} // namespace
