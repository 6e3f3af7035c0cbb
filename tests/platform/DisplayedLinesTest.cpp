#include "platform/DisplayedLines.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <tuple>

#include <functional>

namespace {

const QString Wide = QStringLiteral("word ").repeated(60);

void AddLine(QPlainTextEdit& pane, const QString& text)
{
    QTextCursor end(pane.document());
    end.movePosition(QTextCursor::End);
    end.insertText(text + QLatin1Char('\n'));
}

// What the pane shows once every paragraph is laid out, the empty last one left out.
int LaidOutLines(const QPlainTextEdit& pane)
{
    int lines = 0;
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        if (block == pane.document()->lastBlock() && block.text().isEmpty())
            break;
        pane.document()->documentLayout()->blockBoundingRect(block);
        lines += block.layout()->lineCount();
    }
    return lines;
}

} // namespace

// Each count is taken before anything else lays the changed paragraphs out;
// most of them are never painted.
TEST(DisplayedLines, AWrappedParagraphCountsOncePerDisplayedLineAfterEveryKindOfChange)
{
    QPlainTextEdit pane;
    pane.resize(300, 200);
    pane.show();
    QApplication::processEvents();
    platform::DisplayedLineCounter counter(pane);
    const std::tuple<const char*, std::function<void()>, int> steps[] = {
        {"empty", [] {}, 0},
        {"a line and an empty one", [&] { AddLine(pane, "one"); AddLine(pane, ""); }, 2},
        {"typed at the end", [&] { pane.moveCursor(QTextCursor::End); pane.insertPlainText("typed"); }, 3},
        {"forty wide paragraphs", [&] { for (int i = 0; i < 40; ++i) AddLine(pane, Wide); }, -1},
        {"narrower", [&] { pane.resize(150, 200); }, -1},
        {"inserted in the middle",
         [&] { QTextCursor(pane.document()->findBlockByNumber(10)).insertText(Wide + "\n" + Wide + "\n"); }, -1},
        {"removed in the middle", [&] {
             QTextCursor middle(pane.document()->findBlockByNumber(11));
             middle.select(QTextCursor::BlockUnderCursor);
             middle.removeSelectedText();
         }, -1},
        {"cleared", [&] { pane.clear(); }, 0},
        {"a line again", [&] { AddLine(pane, "again"); }, 1},
    };
    int before = 0;
    for (const auto& [what, change, expected] : steps) {
        change();
        const int count = counter.Count();
        EXPECT_EQ(count, expected >= 0 ? expected : LaidOutLines(pane)) << what;
        EXPECT_TRUE(expected >= 0 || count != before) << what << " changed nothing";
        before = count;
    }
}

TEST(DisplayedLines, ANeverShownPaneWrapsAtItsGivenWidth)
{
    QPlainTextEdit pane;
    pane.resize(300, 200);
    platform::WrapAtCurrentWidth(pane);
    platform::DisplayedLineCounter counter(pane);
    QTextCursor(pane.document()).insertText(Wide);
    EXPECT_GT(counter.Count(), 2);
}
