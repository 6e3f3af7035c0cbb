#include "platform/DisplayedLines.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace platform {

DisplayedLineCounter::DisplayedLineCounter(QPlainTextEdit& edit)
    : QObject(&edit), Edit(edit)
{
    connect(edit.document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int) { NoteChange(from); });
    edit.installEventFilter(this);
    edit.viewport()->installEventFilter(this);
}

bool DisplayedLineCounter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        NoteChange(0);
    return QObject::eventFilter(watched, event);
}

int DisplayedLineCounter::Count()
{
    if (ChangedFrom >= 0)
        LayOutFrom(ChangedFrom);
    ChangedFrom = -1;
    const QTextDocument& document = *Edit.document();
    // A last paragraph that holds nothing is the place for the next line, not a line.
    const bool openEnd = document.lastBlock().length() == 1;
    return document.lineCount() - (openEnd ? 1 : 0);
}

void DisplayedLineCounter::NoteChange(int from)
{
    ChangedFrom = ChangedFrom < 0 ? from : std::min(ChangedFrom, from);
}

// Laying a paragraph out stores its line count in the document.
void DisplayedLineCounter::LayOutFrom(int position)
{
    const auto& layout = *static_cast<QPlainTextDocumentLayout*>(Edit.document()->documentLayout());
    for (QTextBlock block = Edit.document()->findBlock(position); block.isValid(); block = block.next())
        layout.ensureBlockLayout(block);
}

// A hidden widget keeps its resize events until it is shown. The pane's own
// one places its viewport; the viewport's one wraps the text.
void WrapAtCurrentWidth(QPlainTextEdit& edit)
{
    QResizeEvent paneResize(edit.size(), QSize());
    QCoreApplication::sendEvent(&edit, &paneResize);
    QResizeEvent viewportResize(edit.viewport()->size(), QSize());
    QCoreApplication::sendEvent(edit.viewport(), &viewportResize);
}

} // namespace platform
