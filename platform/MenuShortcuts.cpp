#include "platform/MenuShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace platform {
namespace {

QString Caption(const QAction& action)
{
    return action.text().section(QLatin1Char('\t'), 0, 0);
}

void ShowShortcutText(QAction& action)
{
    const QKeySequence keys = MenuShortcut(&action);
    if (keys.isEmpty())
        return;
    action.setText(Caption(action) + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText));
}

template <class Visit>
void ForEachEntry(const QList<QAction*>& actions, const Visit& visit)
{
    for (QAction* action : actions) {
        if (QMenu* submenu = action->menu())
            ForEachEntry(submenu->actions(), visit);
        else if (!action->isSeparator())
            visit(*action);
    }
}

// Qt reports every hidden entry as disabled whatever it was set to, so a
// hidden entry (the action of a hidden menu above all) counts as enabled.
bool Answers(const QAction& action)
{
    return !action.isSeparator() && (action.isEnabled() || !action.isVisible());
}

QAction* FindIn(const QList<QAction*>& actions, const QKeySequence& keys)
{
    for (QAction* action : actions) {
        if (!Answers(*action))
            continue;
        if (QMenu* submenu = action->menu()) {
            if (QAction* found = FindIn(submenu->actions(), keys))
                return found;
        } else if (MenuShortcut(action) == keys) {
            return action;
        }
    }
    return nullptr;
}

bool IsModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
           || key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

QKeySequence KeysOf(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == 0 || key == Qt::Key_unknown || IsModifierKey(key))
        return {};
    const Qt::KeyboardModifiers modifiers = event.modifiers()
        & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

} // namespace

QKeySequence MenuShortcut(const QAction* action)
{
    return QKeySequence::fromString(action->property(MenuShortcutProperty).toString(),
                                    QKeySequence::PortableText);
}

void SetMenuShortcut(QAction* action, const QKeySequence& keys)
{
    action->setProperty(MenuShortcutProperty, keys.toString(QKeySequence::PortableText));
    if (keys.isEmpty())
        action->setText(Caption(*action));
    else
        ShowShortcutText(*action);
}

QAction* FindMenuShortcut(const QMenuBar& menuBar, const QKeySequence& keys)
{
    if (keys.isEmpty())
        return nullptr;
    return FindIn(menuBar.actions(), keys);
}

MenuShortcuts::MenuShortcuts(QWidget& window, QMenuBar& menuBar)
    : QObject(&window), Window(window), MenuBar(menuBar)
{
    ForEachEntry(MenuBar.actions(), ShowShortcutText);
    // Key events reach the focused control first; only an application filter
    // sees them before any control of the window can act on them.
    qApp->installEventFilter(this);
}

bool MenuShortcuts::BelongsToWindow(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == &Window;
}

bool MenuShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    if (!BelongsToWindow(watched))
        return false;
    QAction* entry = FindMenuShortcut(MenuBar, KeysOf(*static_cast<QKeyEvent*>(event)));
    if (entry == nullptr)
        return false;
    // Accepting the override keeps Qt's own short-cuts out of the way, so the
    // key press itself arrives here and runs the entry.
    event->accept();
    if (type == QEvent::KeyPress)
        entry->trigger();
    return true;
}

} // namespace platform
