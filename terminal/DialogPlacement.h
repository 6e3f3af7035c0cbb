#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// The small dialogs open in the middle of the screen, wherever the main window is.
inline void CentreOnScreen(QWidget& dialog)
{
    const QScreen* screen = dialog.screen() != nullptr ? dialog.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog.move(frame.topLeft());
}
