#pragma once

#include <QString>

#include <functional>

class QAction;
class QMenu;
class QWidget;

// Pop-up menus of controls, as the component library attaches them.
namespace platform {

// Adds an entry under an object name; its handler runs guarded, as every
// handler reached from a widget does.
QAction* AddMenuEntry(QMenu& menu, const QString& name, const QString& caption,
                      std::function<void()> handler);

// The standard Cut, Copy and Paste entries, acting on the focused control.
// withKeys shows their short-cuts, for windows where those keys edit.
void AddEditEntries(QMenu& menu, bool withKeys);

// Shows the menu where the user asks for the control's context menu (right
// button, menu key). For a scrolling control the place is taken in its viewport.
void AttachPopupMenu(QWidget& control, QMenu& menu);

} // namespace platform
