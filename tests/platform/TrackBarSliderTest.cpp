#include "platform/TrackBarSlider.h"

#include "platform/ControlEvents.h"
#include "platform/Painting.h"

#include <QApplication>
#include <QImage>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using platform::TrackBar;
using platform::TrackBarSlider;

// A bar on a panel of its own colour, shown at a fixed size; a vertical one
// stands as the illuminators' bars do, the minimum at the top.
struct BarOnPanel
{
    BarOnPanel(Qt::Orientation orientation, int minimum, int maximum, const QColor& panel)
    {
        platform::PaintPanel(Panel, panel);
        auto* layout = new QVBoxLayout(&Panel);
        layout->addWidget(Bar);
        Bar->setOrientation(orientation);
        Bar->setRange(minimum, maximum);
        Bar->setInvertedAppearance(orientation == Qt::Vertical);
        Panel.resize(orientation == Qt::Horizontal ? QSize(260, 60) : QSize(60, 260));
        Panel.show();
    }

    QWidget Panel;
    TrackBarSlider* Bar = new TrackBarSlider;
};

// Rows: where the thumb stands, the selection, and positions whose stretch of
// the channel shows the highlight (inside the selection) or the channel's
// own fill (outside it).
TEST(TrackBarSlider, SelectionIsABandInTheChannelWhereverTheThumbStands)
{
    struct Case { Qt::Orientation Orientation; int Minimum; int Maximum; int Thumb; int Start; int End;
                  std::vector<int> Inside; std::vector<int> Outside; };
    const Case cases[] = {
        {Qt::Horizontal, -45, 45, 30, -20, 45, {-15, 0, 20, 44}, {-45, -40, -25}},
        {Qt::Horizontal, -45, 45, -40, 45, -20, {-15, 0, 20}, {-30, -25}},
        {Qt::Horizontal, -90, 90, -60, 20, 20, {20}, {-20, 0, 30, 60, 90}},
        {Qt::Vertical, 0, 100, 10, 50, 100, {55, 80, 100}, {0, 25, 45}},
        {Qt::Vertical, 0, 100, 90, 0, 40, {0, 20, 35}, {45, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Thumb << ' ' << c.Start << ".." << c.End);
        BarOnPanel bar(c.Orientation, c.Minimum, c.Maximum, QColor(128, 128, 128));
        TrackBar& adapter = TrackBar::Of(bar.Bar);
        adapter.SetPosition(c.Thumb);
        adapter.SetSelStart(c.Start);
        adapter.SetSelEnd(c.End);
        const QImage image = bar.Bar->grab().toImage();
        const QColor highlight = bar.Bar->palette().color(QPalette::Highlight);
        const QColor fill = bar.Bar->palette().color(QPalette::Base);
        ASSERT_NE(highlight, fill);
        for (const auto& [positions, colour] : {std::pair(c.Inside, highlight), std::pair(c.Outside, fill)}) {
            for (int position : positions)
                EXPECT_EQ(image.pixelColor(bar.Bar->ChannelPoint(position)), colour) << position;
        }
    }
}

// The Dravik theta bar: a tick every 5 below the channel, in the panel's
// caption colour, and none between them.
TEST(TrackBarSlider, TicksShowInTheCaptionColourOnADarkPanel)
{
    BarOnPanel bar(Qt::Horizontal, -45, 45, Qt::black);
    bar.Bar->setTickPosition(QSlider::TicksBelow);
    bar.Bar->setTickInterval(5);
    TrackBar::Of(bar.Bar).SetPosition(45);
    const QImage image = bar.Bar->grab().toImage();
    const QColor caption = bar.Bar->palette().color(QPalette::WindowText);
    ASSERT_EQ(caption, QColor(Qt::white));
    // Below the channel's middle line and clear of its edge.
    const auto markedBelow = [&](int x) {
        for (int y = bar.Bar->ChannelPoint(0).y() + 4; y < image.height(); ++y) {
            if (image.pixelColor(x, y) == caption)
                return true;
        }
        return false;
    };
    for (int position = -45; position <= 30; position += 5) {
        const int x = bar.Bar->ChannelPoint(position).x();
        const int between = (x + bar.Bar->ChannelPoint(position + 5).x()) / 2;
        EXPECT_EQ(std::tuple(markedBelow(x), markedBelow(between)), std::tuple(true, false)) << position;
    }
}

} // namespace
