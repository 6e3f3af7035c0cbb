#include "terminal/DialogPlacement.h"

#include <gtest/gtest.h>

// A frame that sticks out on any side moves in just far enough; one larger
// than the area keeps its top left corner in the area, so its caption and
// the start of its controls stay reachable.
TEST(WithinArea, MovesAFrameOnlyAsFarAsItMustToLieInTheArea)
{
    const QRect area(0, 30, 800, 570);
    const std::pair<QRect, QPoint> rows[] = {
        {{100, 100, 300, 200}, {100, 100}},
        {{-59, 200, 730, 392}, {0, 200}},
        {{130, 200, 730, 392}, {70, 200}},
        {{100, 10, 300, 200}, {100, 30}},
        {{100, 500, 300, 200}, {100, 400}},
        {{0, 30, 800, 570}, {0, 30}},
        {{-10, 900, 1000, 700}, {0, 30}},
    };
    for (const auto& [frame, topLeft] : rows) {
        const QRect placed = WithinArea(frame, area);
        EXPECT_EQ(std::pair(placed.topLeft(), placed.size()), std::pair(topLeft, frame.size()))
            << frame.x() << ',' << frame.y() << ' ' << frame.width() << 'x' << frame.height();
    }
    const QRect shifted(1920, 0, 1280, 1024);
    EXPECT_EQ(WithinArea(QRect(1800, 900, 400, 300), shifted).topLeft(), QPoint(1920, 724));
}
