#pragma once

#include <QObject>

class QPlainTextEdit;

namespace platform {

// The number of lines a word-wrapping text pane displays, as the class
// library's rich edit counts them: a paragraph wider than the pane counts
// once per displayed line, and an empty last line does not count.
//
// The pane keeps each paragraph's line count in its document, which sums
// them, but lays a paragraph out only when it is painted. A count therefore
// lays out the paragraphs changed since the last count, and all of them only
// after the pane was resized (which wraps everything anew), so a count costs
// the same however long the text is.
class DisplayedLineCounter : public QObject
{
public:
    explicit DisplayedLineCounter(QPlainTextEdit& edit);

    int Count();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NoteChange(int from);
    void LayOutFrom(int position);

    QPlainTextEdit& Edit;
    int ChangedFrom = 0;     // -1 when nothing changed since the last count
};

// Wraps the pane at the width it has now. A window that has never been shown
// has not wrapped its panes yet; after this it counts the lines it will show.
void WrapAtCurrentWidth(QPlainTextEdit& edit);

} // namespace platform
