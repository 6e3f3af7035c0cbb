#include "platform/EditFocus.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

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

class EditFocusRule : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool entering = event->type() == QEvent::FocusIn;
        if (!entering && event->type() != QEvent::FocusOut)
            return false;
        QLineEdit* edit = EditOf(watched);
        if (edit == nullptr)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (entering) {
            if (SelectsOnEntry(reason, edit->property(KeptByWindowSwitch).toBool()))
                edit->selectAll();
            edit->setProperty(KeptByWindowSwitch, false);
        } else if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
            edit->setProperty(KeptByWindowSwitch, KeepsOnLeaving(reason, *edit));
        }
        return false;
    }
};

} // namespace

void SelectWholeTextOnFocus(QApplication& application)
{
    application.installEventFilter(new EditFocusRule(&application));
}

} // namespace platform
