#include "platform/WindowShowing.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

namespace platform {

namespace {

// In the stay-on-top layer, above the panels and the settings window. A modal
// box minimised out of sight would leave the program looking frozen, so it
// has a close button but neither a minimise nor a maximise button.
void StandAboveProgram(QDialog& dialog)
{
    Qt::WindowFlags flags = dialog.windowFlags() | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                            | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    dialog.setWindowFlags(flags);
}

} // namespace

void BringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

// A dialog that names no window of its own as its transient parent is, for
// the window manager, transient for the program as a whole and kept above
// every one of its windows, also when the user clicks one of them.
int ShowModal(QDialog& dialog)
{
    if (!dialog.isVisible())
        StandAboveProgram(dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.winId();
    dialog.windowHandle()->setTransientParent(nullptr);
    BringToFront(dialog);
    return dialog.exec();
}

// A window being shown for the first time is visible before the window
// manager has placed it: a box centred on it then would stand where the
// window was not put (the start-up port warning).
QWidget* BoxOwner(QWidget* caller)
{
    QWidget* window = caller != nullptr ? caller->window() : nullptr;
    if (window != nullptr && window->isVisible() && !window->isMinimized() && window->windowHandle() != nullptr
        && window->windowHandle()->isExposed())
        return window;
    return QApplication::activeWindow();
}

} // namespace platform
