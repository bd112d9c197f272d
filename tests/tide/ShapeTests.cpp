// The mark shapes: outline and hatch, which the editor and the viewer lean opposite ways.
#include "TideFixtures.h"

#include "tide/Shape.h"

#include <QImage>

#include <gtest/gtest.h>

using kelpora::Shape;

namespace {

const QColor kFuchsia(0xFF, 0x00, 0xFF);

// The shape alone over white, as it looks laid over a chart.
QImage painted(Shape& shape)
{
    QImage image(shape.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    shape.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool is(const QImage& image, int x, int y, const QColor& colour)
{
    return image.pixelColor(x, y) == colour;
}

// How many hatch pixels continue up-right, and how many down-right.
std::pair<int, int> hatchLean(const QImage& image)
{
    int rising = 0;
    int falling = 0;
    for (int y = 2; y < image.height() - 2; ++y)
        for (int x = 2; x < image.width() - 2; ++x) {
            if (!is(image, x, y, kFuchsia))
                continue;
            rising += is(image, x + 1, y - 1, kFuchsia);
            falling += is(image, x + 1, y + 1, kFuchsia);
        }
    return {rising, falling};
}

} // namespace

TEST(Shape, FeedingPeriodsAreHatchedOneWayOrTheOtherInsideARedLine)
{
    Shape rising(nullptr, "Shape_2", {Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Rising, kFuchsia});
    Shape falling(nullptr, "Shape_3", {Shape::Kind::Rectangle, Qt::red, 1, Shape::Hatch::Falling, kFuchsia});
    for (Shape* s : {&rising, &falling})
        s->resize(64, 64);
    const QImage up = painted(rising);
    const QImage down = painted(falling);
    EXPECT_TRUE(is(up, 0, 30, Qt::red));
    EXPECT_TRUE(is(down, 63, 30, Qt::red));

    const auto [upRising, upFalling] = hatchLean(up);
    const auto [downRising, downFalling] = hatchLean(down);
    EXPECT_GT(upRising, 100);
    EXPECT_EQ(upFalling, 0);
    EXPECT_GT(downFalling, 100);
    EXPECT_EQ(downRising, 0);
    // A hatch, not a fill: the chart shows between the lines.
    int white = 0;
    for (int x = 1; x < 63; ++x)
        white += is(up, x, 32, Qt::white);
    EXPECT_GT(white, 40);
}
