#pragma once

// The class library's standard edit actions (Cut, Copy, Paste, Select All).
// They act on the control that has the focus when it holds editable text
// (a line edit, the edit of an editable combo box, a text pane) and do
// nothing on any other control. A read-only control only copies and selects.
namespace platform {

enum class EditCommand { Cut, Copy, Paste, SelectAll };

void EditFocusedControl(EditCommand command);

} // namespace platform
