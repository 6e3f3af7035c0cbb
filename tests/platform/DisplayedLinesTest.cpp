#include "platform/DisplayedLines.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <tuple>

// A paragraph wider than the pane counts once per displayed line, and an
// empty last line not at all. Each count is taken before anything else lays
// the changed paragraphs out (most are never painted) and compared with what
// the pane shows once all of them are laid out.
TEST(DisplayedLines, AWrappedParagraphCountsOncePerDisplayedLineAfterEveryKindOfChange)
{
    QPlainTextEdit pane;
    pane.resize(300, 200);
    pane.show();
    QApplication::processEvents();
    platform::DisplayedLineCounter counter(pane);
    const QString wide = QStringLiteral("word ").repeated(60) + QLatin1Char('\n');
    const auto insertAt = [&](int block, const QString& text) {
        QTextCursor(pane.document()->findBlockByNumber(block)).insertText(text);
    };
    const auto shown = [&pane] {
        int lines = 0;
        for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
            pane.document()->documentLayout()->blockBoundingRect(block);
            lines += block.layout()->lineCount();
        }
        return lines - (pane.document()->lastBlock().text().isEmpty() ? 1 : 0);
    };
    const std::tuple<const char*, std::function<void()>, int> steps[] = {
        {"empty", [] {}, 0},
        {"a line and an empty one", [&] { insertAt(0, "one\n\n"); }, 2},
        {"typed at the end", [&] { pane.moveCursor(QTextCursor::End); pane.insertPlainText("typed"); }, 3},
        {"forty wide paragraphs", [&] { insertAt(2, wide.repeated(40)); }, -1},
        {"narrower", [&] { pane.resize(150, 200); }, -1},
        {"inserted in the middle", [&] { insertAt(10, wide + wide); }, -1},
        {"removed in the middle", [&] {
             QTextCursor middle(pane.document()->findBlockByNumber(11));
             middle.select(QTextCursor::BlockUnderCursor);
             middle.removeSelectedText();
         }, -1},
        {"cleared", [&] { pane.clear(); }, 0},
    };
    int before = 0;
    for (const auto& [what, change, expected] : steps) {
        change();
        const int count = counter.Count();
        EXPECT_EQ(count, expected >= 0 ? expected : shown()) << what;
        EXPECT_EQ(count == before, expected == before) << what;
        before = count;
    }
}
