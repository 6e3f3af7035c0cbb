#include "platform/DisplayedLines.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace {

QString Words(int count)
{
    return QStringLiteral("word ").repeated(count);
}

// A shown, word-wrapping pane whose lines are counted.
class DisplayedLines : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Pane.resize(300, 200);
        Pane.show();
        QApplication::processEvents();
    }

    void AddLine(const QString& text)
    {
        QTextCursor end(Pane.document());
        end.movePosition(QTextCursor::End);
        end.insertText(text);
        end.insertBlock();
    }

    // What the pane shows once every paragraph is laid out; the empty last one is left out.
    int LaidOutLines() const
    {
        const QTextDocument& document = *Pane.document();
        int lines = 0;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block == document.lastBlock() && block.text().isEmpty())
                break;
            document.documentLayout()->blockBoundingRect(block);
            lines += block.layout()->lineCount();
        }
        return lines;
    }

    QPlainTextEdit Pane;
    platform::DisplayedLineCounter Counter{Pane};
};

TEST_F(DisplayedLines, AnEmptyPaneHasNoLinesAndAnEmptyLastLineDoesNotCount)
{
    EXPECT_EQ(Counter.Count(), 0);
    AddLine(QStringLiteral("one"));
    AddLine(QString());
    EXPECT_EQ(Counter.Count(), 2);
    QTextCursor end(Pane.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("typed"));
    EXPECT_EQ(Counter.Count(), 3);
}

// Most of these paragraphs are never painted, so nothing else lays them out.
TEST_F(DisplayedLines, WrappedParagraphsCountOncePerDisplayedLineAlsoAfterAResize)
{
    AddLine(QStringLiteral("short"));
    for (int i = 0; i < 40; ++i)
        AddLine(Words(60));
    const int wide = Counter.Count();
    EXPECT_GT(wide, 80);
    EXPECT_EQ(wide, LaidOutLines());

    Pane.resize(150, 200);
    const int narrow = Counter.Count();
    EXPECT_GT(narrow, wide);
    EXPECT_EQ(narrow, LaidOutLines());
}

TEST_F(DisplayedLines, EditsInTheMiddleAndClearingAreCounted)
{
    for (int i = 0; i < 50; ++i)
        AddLine(QStringLiteral("line %1").arg(i));
    ASSERT_EQ(Counter.Count(), 50);

    QTextCursor middle(Pane.document()->findBlockByNumber(10));
    middle.insertText(Words(60) + QLatin1Char('\n') + Words(60) + QLatin1Char('\n'));
    // Counted before the check lays everything out.
    const int afterInsert = Counter.Count();
    EXPECT_GT(afterInsert, 55);
    EXPECT_EQ(afterInsert, LaidOutLines());

    middle.movePosition(QTextCursor::PreviousBlock);
    middle.select(QTextCursor::BlockUnderCursor);
    middle.removeSelectedText();
    const int afterRemove = Counter.Count();
    EXPECT_EQ(afterRemove, LaidOutLines());

    Pane.clear();
    EXPECT_EQ(Counter.Count(), 0);
    AddLine(QStringLiteral("again"));
    EXPECT_EQ(Counter.Count(), 1);
}

TEST(DisplayedLinesOfAHiddenPane, ANeverShownPaneWrapsAtItsGivenWidth)
{
    QPlainTextEdit pane;
    pane.resize(300, 200);
    platform::WrapAtCurrentWidth(pane);
    platform::DisplayedLineCounter counter(pane);
    QTextCursor(pane.document()).insertText(Words(60));
    EXPECT_GT(counter.Count(), 2);
}

} // namespace
