#pragma once

class QApplication;
class QObject;

// An edit box of the component library selects its whole text when it
// receives the focus other than by a mouse click, so that the next key
// replaces the text: the send road moves the focus away from the command box
// and back after every command, and the next typed command must not be
// appended to the last one. A mouse click places the caret where it points.
//
// The rule holds for every single-line edit and every editable combo box of
// every window. Getting the focus back when its window becomes active again,
// or when a menu closes, keeps the selection and caret as the user left them.
namespace platform {

// Puts the rule in force for all windows of the application; the
// application object does it when it is made.
void SelectWholeTextOnFocus(QApplication& application);

} // namespace platform
