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
    const QString text = QStringLiteral("a\\b{c}d\te") + QChar(0xE9) + QChar(0x01) + QChar(0x7F) + QChar(0x20AC);
    QTextDocument document;
    QTextCursor(&document).insertText(text);

    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(Body(rtf).contains("a\\\\b\\{c\\}d\\tab e\\'e9\\'01\\'7f\\u8364?\\par")) << rtf.constData();
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
        {R"({\rtf1 x\\y\{z\}\tab w\line v\~u\_t\-s\par})", QStringLiteral("x\\y{z}\tw\nv\u00A0u-ts\n")},
        {R"({\rtf1 caf\'e9\'4a\'zz\'4})", QStringLiteral("caf\u00E9Jzz4")},
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
