#include "platform/TrackBarSlider.h"

#include "platform/ControlEvents.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <qdrawutil.h>

#include <algorithm>

namespace platform {

namespace {

// The channel's width across, and how far it reaches past the thumb's
// middle at either end.
constexpr int ChannelWidth = 6;
constexpr int ChannelOverhang = 2;
// A selection of one position still shows, as a band this many pixels wide.
constexpr int SelectionHalo = 1;
constexpr int TickGap = 2;
constexpr int TickLength = 4;

bool Horizontal(const QStyleOptionSlider& option)
{
    return option.orientation == Qt::Horizontal;
}

// A point's place along the channel.
int Along(const QStyleOptionSlider& option, QPoint point)
{
    return Horizontal(option) ? point.x() : point.y();
}

} // namespace

TrackBarSlider::TrackBarSlider(QWidget* parent)
    : QSlider(parent), Bar(TrackBar::Of(this))
{
}

QPoint TrackBarSlider::ChannelPoint(int position) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return ChannelPoint(option, position);
}

QPoint TrackBarSlider::ChannelPoint(QStyleOptionSlider option, int position) const
{
    option.sliderPosition = position;
    option.sliderValue = position;
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).center();
}

QRect TrackBarSlider::Channel(const QStyleOptionSlider& option) const
{
    const QPoint first = ChannelPoint(option, option.minimum);
    const QPoint last = ChannelPoint(option, option.maximum);
    const int from = std::min(Along(option, first), Along(option, last)) - ChannelOverhang;
    const int to = std::max(Along(option, first), Along(option, last)) + ChannelOverhang;
    const int across = (Horizontal(option) ? first.y() : first.x()) - ChannelWidth / 2;
    return Horizontal(option) ? QRect(from, across, to - from + 1, ChannelWidth)
                              : QRect(across, from, ChannelWidth, to - from + 1);
}

QRect TrackBarSlider::Stretch(const QStyleOptionSlider& option, const QRect& channel, int from, int to) const
{
    const int a = Along(option, ChannelPoint(option, from));
    const int b = Along(option, ChannelPoint(option, to));
    const int low = std::min(a, b) - SelectionHalo;
    const int high = std::max(a, b) + SelectionHalo;
    const QRect inside = channel.adjusted(1, 1, -1, -1);
    return Horizontal(option) ? QRect(low, inside.top(), high - low + 1, inside.height())
                              : QRect(inside.left(), low, inside.width(), high - low + 1);
}

void TrackBarSlider::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect channel = Channel(option);
    DrawChannel(painter, option, channel);
    DrawSelection(painter, option, channel);
    if (tickPosition() != NoTicks)
        DrawTicks(painter, option, channel);
    option.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

void TrackBarSlider::DrawChannel(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const
{
    const QBrush fill = option.palette.base();
    qDrawShadePanel(&painter, channel, option.palette, true, 1, &fill);
}

void TrackBarSlider::DrawSelection(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const
{
    const QRect band = Stretch(option, channel, Bar.SelStart(), Bar.SelEnd());
    painter.fillRect(band.intersected(channel.adjusted(1, 1, -1, -1)), option.palette.highlight());
}

// A tick at every interval from the minimum, and one at the maximum, on the
// side of the channel the bar's tick position names, beyond the thumb.
void TrackBarSlider::DrawTicks(QPainter& painter, const QStyleOptionSlider& option, const QRect& channel) const
{
    const int interval = tickInterval() > 0 ? tickInterval() : std::max(1, pageStep());
    const QRect thumb = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const QRect reach = channel.united(thumb);
    painter.setPen(option.palette.color(QPalette::WindowText));
    const auto tick = [&](int position) {
        const int at = Along(option, ChannelPoint(option, position));
        const bool before = tickPosition() == TicksAbove;
        const bool after = tickPosition() == TicksBelow;
        const bool both = tickPosition() == TicksBothSides;
        if (Horizontal(option)) {
            if (before || both)
                painter.drawLine(at, reach.top() - TickGap, at, reach.top() - TickGap - TickLength + 1);
            if (after || both)
                painter.drawLine(at, reach.bottom() + TickGap, at, reach.bottom() + TickGap + TickLength - 1);
        } else {
            if (before || both)
                painter.drawLine(reach.left() - TickGap, at, reach.left() - TickGap - TickLength + 1, at);
            if (after || both)
                painter.drawLine(reach.right() + TickGap, at, reach.right() + TickGap + TickLength - 1, at);
        }
    };
    for (long long position = minimum(); position < maximum(); position += interval)
        tick(static_cast<int>(position));
    tick(maximum());
}

} // namespace platform
