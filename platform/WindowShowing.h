#pragma once

class QDialog;
class QWidget;

// How the program's windows come to the user. The panels and the settings
// window stay on top of other windows; a box or dialog that opened beneath
// them would block every click while the user cannot see it, and a window
// brought forward while minimised would stay out of sight.
namespace platform {

// Shows the window, restores it when minimised (a maximised one stays
// maximised), raises it above the program's other windows of its layer and
// gives it the focus.
void BringToFront(QWidget& window);

// Shows a box or dialog modally above every window of the program, the
// stay-on-top ones included, with the focus, and waits until it is closed;
// the dialog's result. The window manager keeps it above all of them while it
// is open, also when the user clicks one of them.
int ShowModal(QDialog& dialog);

// The window a new box is centred on: the caller's own window while the user
// sees it (shown, placed and not minimised), else the program's active window;
// nullptr (the screen) when there is neither.
QWidget* BoxOwner(QWidget* caller);

} // namespace platform
