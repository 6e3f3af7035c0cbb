#include "platform/Painting.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace platform {

void PaintPanel(QWidget& widget, const QColor& background)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void SetCaptionColour(QWidget& button, const QColor& colour)
{
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, colour);
    button.setPalette(palette);
}

QColor CaptionColour(const QWidget& button)
{
    return button.palette().color(QPalette::ButtonText);
}

} // namespace platform
