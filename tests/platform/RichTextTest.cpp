#include "platform/Exceptions.h"
#include "platform/RichText.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QTextCharFormat Coloured(const QColor& colour, bool bold = false)
{
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
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
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("a\\b{c}d\te") + QChar(0xE9) + QChar(0x01) + QChar(0x7F) + QChar(0x20AC));

    const QByteArray body = Body(platform::RichTextOf(document));
    EXPECT_TRUE(body.contains("a\\\\b\\{c\\}d\\tab e\\'e9\\'01\\'7f\\u8364?\\par")) << body.constData();
    for (const char byte : platform::RichTextOf(document))
        EXPECT_LT(static_cast<unsigned char>(byte), 0x80) << "the stream is plain ASCII";
}

TEST(RichText, EachBlockIsOneParagraphInItsOwnColourAndWeight)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("sent"), Coloured(Qt::black, true));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("reply"), Coloured(QColor(0, 128, 0), true));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("again"), Coloured(Qt::black));

    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.trimmed().endsWith('}'));
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}")) << rtf.constData();
    const QByteArray body = Body(rtf);
    EXPECT_EQ(body.count("\\par"), 3);
    const qsizetype sent = body.indexOf("\\cf1\\b");
    const qsizetype reply = body.indexOf("\\cf2 reply");
    const qsizetype again = body.indexOf("\\cf1\\b0 again");
    EXPECT_GE(sent, 0) << body.constData();
    EXPECT_GT(reply, sent) << body.constData();
    EXPECT_GT(again, reply) << body.constData();
}

TEST(RichText, TheFontTableNamesTheDocumentFontAndItsSizeIsKept)
{
    QTextDocument document;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    document.setDefaultFont(font);
    QTextCursor(&document).insertText(QStringLiteral("x"));

    const QByteArray rtf = platform::RichTextOf(document);
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset0 MS Sans Serif;}"));
    EXPECT_TRUE(Body(rtf).contains("\\f0\\fs16 x\\par"));
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
