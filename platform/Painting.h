#pragma once

class QColor;
class QWidget;

// The colours of the layouts that the component library kept as properties
// of a control.
namespace platform {

// A panel or group box filled with its colour, its captions and labels white.
void PaintPanel(QWidget& widget, const QColor& background);

// A button's caption colour (the speed buttons' red and black).
void SetCaptionColour(QWidget& button, const QColor& colour);
QColor CaptionColour(const QWidget& button);

} // namespace platform
