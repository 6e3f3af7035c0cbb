#include "platform/EditFocus.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {

namespace {

// Marks an edit whose window was left behind while the edit held the focus.
constexpr char KeptByWindowSwitch[] = "commtermKeptByWindowSwitch";

QLineEdit* EditOf(QObject* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->lineEdit();
    return nullptr;
}

// Every box a key's character acts on: one the user types text into, one
// line or many, and a drop-down list, which chooses the next item that starts
// with it (a shutter's "Open" for Alt+O) and sends what it chose.
bool TakesCharacters(QObject* control)
{
    return qobject_cast<QLineEdit*>(control) != nullptr || qobject_cast<QComboBox*>(control) != nullptr
           || qobject_cast<QTextEdit*>(control) != nullptr || qobject_cast<QPlainTextEdit*>(control) != nullptr;
}

// A window coming back to the front gives the focus to the control that had
// it; a window shown anew gives it to its first control, which selects.
bool SelectsOnEntry(Qt::FocusReason reason, bool keptByWindowSwitch)
{
    switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    case Qt::ActiveWindowFocusReason:
        return !keptByWindowSwitch;
    default:
        return true;
    }
}

// A window that is only hidden behind another keeps its edit as it was; one
// that closes starts afresh at its next showing.
bool KeepsOnLeaving(Qt::FocusReason reason, const QLineEdit& edit)
{
    return reason == Qt::ActiveWindowFocusReason && edit.window()->isVisible();
}

// Qt's short-cuts, menu mnemonics among them, have had their turn before a
// key press reaches a box, so an Alt chord that arrives names none.
bool IsAltChordCharacter(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    return (modifiers & Qt::AltModifier) && !(modifiers & (Qt::ControlModifier | Qt::GroupSwitchModifier))
           && !key.text().isEmpty() && key.text().front().isPrint();
}

class EditBoxHabits : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            if (QLineEdit* edit = EditOf(watched))
                FocusMoved(*edit, static_cast<QFocusEvent&>(*event));
            return false;
        case QEvent::KeyPress:
            if (!TakesCharacters(watched) || !IsAltChordCharacter(static_cast<QKeyEvent&>(*event)))
                return false;
            PressWithoutText(*watched, static_cast<QKeyEvent&>(*event));
            return true;
        default:
            return false;
        }
    }

private:
    static void FocusMoved(QLineEdit& edit, const QFocusEvent& event)
    {
        const Qt::FocusReason reason = event.reason();
        if (event.type() == QEvent::FocusIn) {
            if (SelectsOnEntry(reason, edit.property(KeptByWindowSwitch).toBool()))
                edit.selectAll();
            edit.setProperty(KeptByWindowSwitch, false);
        } else if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
            edit.setProperty(KeptByWindowSwitch, KeepsOnLeaving(reason, edit));
        }
    }

    // The key without its character: the box's key-down handler still sees it.
    static void PressWithoutText(QObject& box, const QKeyEvent& key)
    {
        QKeyEvent withoutText(key.type(), key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                              key.nativeModifiers(), QString(), key.isAutoRepeat(),
                              static_cast<quint16>(key.count()), key.device());
        QCoreApplication::sendEvent(&box, &withoutText);
    }
};

} // namespace

void KeepEditBoxHabits(QApplication& application)
{
    application.installEventFilter(new EditBoxHabits(&application));
}

} // namespace platform
