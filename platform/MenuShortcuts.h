#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QMenuBar;
class QWidget;

// Menu short-cuts with the component library's meaning rather than Qt's:
// a main-menu short-cut wins over the focused control's own use of the key,
// entries of hidden menus answer their short-cuts, and where two entries
// share one the first in menu order wins. The keys are therefore never
// registered with Qt (which would call a shared key ambiguous and let line
// edits keep Ctrl+X); an entry carries them in the dynamic property
// "menuShortcut" and shows them after a tab in its text.
namespace platform {

inline constexpr char MenuShortcutProperty[] = "menuShortcut";

QKeySequence MenuShortcut(const QAction* action);
void SetMenuShortcut(QAction* action, const QKeySequence& keys);

// The entry that the keys run: the first in menu order, hidden menus
// included, disabled entries and entries of disabled menus skipped.
QAction* FindMenuShortcut(const QMenuBar& menuBar, const QKeySequence& keys);

// Watches the keys typed anywhere in one window and runs the entries of its
// menu bar that answer them. Created with the window as parent; it also shows
// every entry's short-cut in its text.
class MenuShortcuts : public QObject
{
public:
    MenuShortcuts(QWidget& window, QMenuBar& menuBar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool BelongsToWindow(QObject* watched) const;

    QWidget& Window;
    QMenuBar& MenuBar;
};

} // namespace platform
