#pragma once

class QLabel;
class QSize;
class QString;

// A label of the component library keeps the bounds it was designed with:
// text that comes from outside the program (a reply, a file) neither grows it
// nor the window around it.
namespace platform {

// From now on the label's size is what its layout gives it for the text it
// shows now, the design text, at its font: it is at least as wide and exactly
// as tall as that text needs, also after a change of font, whatever it shows
// later. A longer text is cut at the label's edge, drawn from its start
// (top left) so that what can be read is its beginning. The label shows its
// text as it stands, never as markup.
void KeepLabelSize(QLabel& label);

// The size the label asks for to show the text, at its font and with its
// frame and margins; what it shows stays as it is.
QSize SizeFor(QLabel& label, const QString& text);

} // namespace platform
