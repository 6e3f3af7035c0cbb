#include "platform/Exceptions.h"
#include "platform/RichText.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

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

TEST(RichText, SpecialAndNonAsciiCharactersAreEscapedAsEightBitText)
{
    QTextDocument document;
    QTextCursor(&document).insertText(QStringLiteral("a\\b{c}d\te") + QChar(0xE9) + QChar(0x01) + QChar(0x7F)
                                      + QChar(0x20AC));

    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(Body(rtf).contains("a\\\\b\\{c\\}d\\tab e\\'e9\\'01\\'7f\\u8364?\\par")) << rtf.constData();
    for (const char byte : rtf)
        EXPECT_LT(static_cast<unsigned char>(byte), 0x80) << "the stream is plain ASCII";
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
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.trimmed().endsWith('}'));
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset0 MS Sans Serif;}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}")) << rtf.constData();
    const QByteArray body = Body(rtf);
    EXPECT_EQ(body.count("\\par"), 3);
    const qsizetype sent = body.indexOf("\\cf1\\b\\f0\\fs16 sent\\par");
    const qsizetype reply = body.indexOf("\\cf2 reply\\par");
    const qsizetype again = body.indexOf("\\cf1\\b0 again\\par");
    EXPECT_GE(sent, 0) << body.constData();
    EXPECT_GT(reply, sent) << body.constData();
    EXPECT_GT(again, reply) << body.constData();
}

TEST(RichText, SavingReplacesTheFileAndAMissingFolderIsAFileError)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("log.rtf"));
    QFile old(fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'z'));
    old.close();

    QTextDocument document;
    QTextCursor(&document).insertText(QStringLiteral("short"));
    platform::SaveRichTextToFile(fileName, document);
    QFile saved(fileName);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), platform::RichTextOf(document));

    EXPECT_THROW(platform::SaveRichTextToFile(folder.filePath(QStringLiteral("Logs/log.doc")), document), EFileError);
}

} // namespace

namespace {

TEST(RichTextReader, GivesTheTextOfGroupsControlWordsEscapesAndCharacters)
{
    const std::pair<QByteArray, QString> rows[] = {
        {R"({\rtf1\ansi{\fonttbl{\f0\fnil Arial;}}{\colortbl ;\red0\green0\blue0;}\pard\f0\fs22 a\par b})", "a\nb"},
        {R"({\rtf1 x\\y\{z\}\tab w\line v\~u\_t\-s\par})", QStringLiteral("x\\y{z}\tw\nv\u00A0u-ts\n")},
        {R"({\rtf1 caf\'e9\'4a\'zz\'4})", QStringLiteral("caf\u00E9Jzz4")},
        {R"({\rtf1\uc1 a\u8364?b\uc0 c\u-4064 d{\uc2\u233\'3f\'3fx}\u65 A})", QStringLiteral("a\u20ACbc\uF020d\u00E9xAA")},
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

TEST(RichTextReader, ReadsBackWhatTheWriterWrote)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("a\\b{c}"), Coloured(Qt::black, true));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("\u00E9\u20AC\tz"), Coloured(QColor(0, 128, 0), false));
    EXPECT_EQ(platform::PlainTextOfRichText(platform::RichTextOf(document)),
              QStringLiteral("a\\b{c}\n\u00E9\u20AC\tz\n"));
}

TEST(RichTextReader, LoadsAFileAsTheRichEditDoes)
{
    QTemporaryDir folder;
    const auto write = [&folder](const char* name, const QByteArray& contents) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return file.fileName();
    };
    EXPECT_EQ(platform::LoadRichEditText(write("plain.iqf", "a\r\nb\rc\nd\xe9\r\n")),
              QStringLiteral("a\nb\nc\nd\u00E9\n"));
    EXPECT_EQ(platform::LoadRichEditText(write("rich.iqf", "{\\rtf1 a\\par b\\par }")), "a\nb\n");
    EXPECT_EQ(platform::LoadRichEditText(write("almost.iqf", " {\\rtf1 a}")), " {\\rtf1 a}");

    const QString fifo = folder.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& unreadable : {fifo, folder.path(), folder.filePath(QStringLiteral("missing.iqf"))})
        EXPECT_THROW(platform::LoadRichEditText(unreadable), EFileError) << unreadable.toStdString();
}

} // namespace
