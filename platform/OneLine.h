#pragma once

#include <QString>

namespace platform {

// The one rule for a text that stays on one line, as an edit box's text and
// every item of a file kept one a line do: each run of line breaks (CR, LF
// and the Unicode line and paragraph separators) inside the text becomes one
// blank, and line breaks at either end go. Given a caret position in the
// text, it is moved to the same place among the characters that stay.
QString OneLine(const QString& text, int* caret = nullptr);

bool HasLineBreak(const QString& text);

} // namespace platform
