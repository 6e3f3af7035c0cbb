#include "terminal/DialogPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// A window that has not been shown yet has no frame of its own: it is
// expected to get the one its owner has.
QRect ExpectedFrame(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    if (frame != window.geometry() || owner == nullptr)
        return frame;
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    return frame.marginsAdded(QMargins(ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
                                       ownerFrame.right() - ownerClient.right(),
                                       ownerFrame.bottom() - ownerClient.bottom()));
}

const QScreen* ScreenAt(const QPoint& point, const QWidget& window)
{
    if (const QScreen* screen = QGuiApplication::screenAt(point))
        return screen;
    return window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
}

// Moves the window's frame to the given centre, kept within its screen.
void PlaceCentredAt(QWidget& window, const QPoint& centre)
{
    const QScreen* screen = ScreenAt(centre, window);
    QRect frame = ExpectedFrame(window);
    frame.moveCenter(centre);
    if (screen != nullptr)
        frame = WithinArea(frame, screen->availableGeometry());
    window.move(frame.topLeft());
}

int WithinSpan(int start, int length, int areaStart, int areaLength)
{
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

QRect WithinArea(QRect frame, const QRect& area)
{
    frame.moveTo(WithinSpan(frame.left(), frame.width(), area.left(), area.width()),
                 WithinSpan(frame.top(), frame.height(), area.top(), area.height()));
    return frame;
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr)
        PlaceCentredAt(window, screen->availableGeometry().center());
}

void CentreOnWindow(QWidget& window, const QWidget& owner)
{
    PlaceCentredAt(window, owner.window()->frameGeometry().center());
}
