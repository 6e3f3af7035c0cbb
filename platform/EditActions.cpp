#include "platform/EditActions.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {
namespace {

// QLineEdit, QTextEdit and QPlainTextEdit share these operations by name only.
template <class Editor>
void Apply(Editor& editor, EditCommand command)
{
    const bool editable = !editor.isReadOnly();
    switch (command) {
    case EditCommand::Cut:
        if (editable)
            editor.cut();
        break;
    case EditCommand::Copy:
        editor.copy();
        break;
    case EditCommand::Paste:
        if (editable)
            editor.paste();
        break;
    case EditCommand::SelectAll:
        editor.selectAll();
        break;
    }
}

QWidget* FocusedEditor()
{
    QWidget* focused = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(focused))
        return combo->lineEdit();
    return focused;
}

} // namespace

void EditFocusedControl(EditCommand command)
{
    QWidget* editor = FocusedEditor();
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        Apply(*line, command);
    else if (auto* text = qobject_cast<QTextEdit*>(editor))
        Apply(*text, command);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(editor))
        Apply(*plain, command);
}

} // namespace platform
