#pragma once

#include <QRect>

class QWidget;

// Where the program places its windows. Each placement ends inside the
// available area of the screen the window lands on, so no window opens with
// a part (a button, its caption) beyond the screen's edge or under a panel of
// the desktop.

// The frame moved as little as it must to lie within the area; a frame
// larger than the area keeps its top left corner in it.
QRect WithinArea(QRect frame, const QRect& area);

// The small dialogs and the log window open in the middle of the screen,
// wherever the main window is.
void CentreOnScreen(QWidget& window);

// Centred on the owner's frame, as far as the screen allows.
void CentreOnWindow(QWidget& window, const QWidget& owner);
