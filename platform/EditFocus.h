#pragma once

class QApplication;
class QObject;

// The component library's keyboard habits of edit boxes, which Qt's edits
// lack, for the boxes of every window.
//
// A single-line edit or an editable combo box selects its whole text when it
// receives the focus other than by a mouse click, so that the next key
// replaces the text: the send road moves the focus away from the command box
// and back after every command, and the next typed command must not be
// appended to the last one. A mouse click places the caret where it points.
// Getting the focus back when its window becomes active again, or when a menu
// closes, keeps the selection and caret as the user left them.
//
// In every box the user types text into, one line or many (the command-file
// pane, the settings window's files), and in every drop-down list, an Alt
// chord is a menu mnemonic, never a character: one that names no mnemonic
// types nothing and chooses no item, so a user reaching for a menu cannot
// change a command, a number or a laser setting on its way to the instrument.
// The key itself still reaches the box, as Alt with a key that gives no character
// does (Alt+Up walks the command history). Ctrl+Alt and AltGr, which type
// characters such as "@" and "|" on many keyboards, type them.
namespace platform {

// Puts the habits in force for all windows of the application; the
// application object does it when it is made.
void KeepEditBoxHabits(QApplication& application);

} // namespace platform
