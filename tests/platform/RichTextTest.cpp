#include "platform/Exceptions.h"
#include "platform/RichText.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

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
