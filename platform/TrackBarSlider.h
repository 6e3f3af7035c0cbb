#pragma once

#include <QSlider>

class QPainter;
class QStyleOptionSlider;

namespace platform {
class TrackBar;
}

// The slider of a track bar, drawn as the component library's track bar is:
// a sunken channel along the thumb's path, the bar's selection range (its
// TrackBar's SelStart to SelEnd) as a highlighted band in the channel, so the
// value last sent shows while the thumb stands elsewhere, and the tick marks
// in the colour of the bar's captions, so they show on a dark panel too. The
// thumb is the style's own.
namespace platform {

class TrackBarSlider : public QSlider
{
    Q_OBJECT
public:
    explicit TrackBarSlider(QWidget* parent = nullptr);

    // Where the channel's middle line passes the position: the middle of the
    // thumb standing there, as the style places it.
    QPoint ChannelPoint(int position) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint ChannelPoint(QStyleOptionSlider option, int position) const;
    QRect Channel(const QStyleOptionSlider& option) const;
    // The stretch of the channel between two positions, across its inside.
    QRect Stretch(const QStyleOptionSlider& option, const QRect& channel, int from, int to) const;
    void DrawChannel(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const;
    void DrawSelection(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const;
    void DrawTicks(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const;

    // Owned by the slider.
    const TrackBar& Bar;
};

} // namespace platform
