// The mark shapes: what they paint, and what they report of the mouse.
#include "TideFixtures.h"

#include "tide/Shape.h"

#include <QImage>
#include <QTest>

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

TEST(Shape, TheFishingPeriodIsABlueOutlineWithNothingInside)
{
    Shape s(nullptr, "Shape_1", {Shape::Kind::Rectangle, Qt::blue, 3, Shape::Hatch::None, {}});
    s.resize(60, 80);
    const QImage image = painted(s);
    for (const QPoint& p :
        {QPoint(0, 40), QPoint(2, 40), QPoint(59, 40), QPoint(57, 40), QPoint(30, 0), QPoint(30, 79)})
        EXPECT_TRUE(is(image, p.x(), p.y(), Qt::blue)) << p.x() << "," << p.y();
    EXPECT_TRUE(is(image, 3, 40, Qt::white));
    EXPECT_TRUE(is(image, 30, 40, Qt::white));
    EXPECT_EQ(s.objectName(), QStringLiteral("Shape_1"));
}

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

TEST(Shape, ACatchTimeIsARedRingWithItsCornersClear)
{
    Shape s(nullptr, "Shape_4", {Shape::Kind::Circle, Qt::red, 3, Shape::Hatch::None, {}});
    s.resize(17, 17);
    const QImage image = painted(s);
    EXPECT_TRUE(is(image, 0, 0, Qt::white));
    EXPECT_TRUE(is(image, 16, 16, Qt::white));
    EXPECT_TRUE(is(image, 8, 8, Qt::white));
    EXPECT_EQ(image.pixelColor(8, 1).red(), 255);
    EXPECT_LT(image.pixelColor(8, 1).green(), 80);
    EXPECT_LT(image.pixelColor(1, 8).green(), 80);
}

TEST(Shape, ReportsTheButtonsAndKeysExactlyAsTheyAre)
{
    Shape s(nullptr, "Shape_5", {Shape::Kind::Circle, Qt::red, 3, Shape::Hatch::None, {}});
    s.resize(17, 17);
    std::vector<std::pair<char, Shape::Mouse>> seen;
    QObject::connect(&s, &Shape::mouseDown, &s, [&](Shape* sender, const Shape::Mouse& m) {
        EXPECT_EQ(sender, &s);
        seen.emplace_back('d', m);
    });
    QObject::connect(&s, &Shape::mouseMove, &s, [&](Shape*, const Shape::Mouse& m) { seen.emplace_back('m', m); });
    QObject::connect(&s, &Shape::mouseUp, &s, [&](Shape*, const Shape::Mouse& m) { seen.emplace_back('u', m); });

    QTest::mousePress(&s, Qt::RightButton, Qt::ShiftModifier, {5, 6});
    QTest::mouseMove(&s, {30, -4});
    QTest::mouseRelease(&s, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, {30, -4});

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].first, 'd');
    EXPECT_EQ(seen[0].second.button, Qt::RightButton);
    EXPECT_EQ(seen[0].second.buttons, Qt::MouseButtons(Qt::RightButton));
    EXPECT_EQ(seen[0].second.modifiers, Qt::KeyboardModifiers(Qt::ShiftModifier));
    EXPECT_EQ(seen[0].second.pos, QPoint(5, 6));
    EXPECT_EQ(seen[1].first, 'm');
    EXPECT_EQ(seen[1].second.button, Qt::NoButton);
    EXPECT_EQ(seen[1].second.buttons, Qt::MouseButtons(Qt::RightButton));
    EXPECT_EQ(seen[1].second.pos, QPoint(30, -4)); // outside: it still hears the held button
    EXPECT_EQ(seen[2].first, 'u');
    EXPECT_EQ(seen[2].second.buttons, Qt::MouseButtons());
    EXPECT_EQ(seen[2].second.modifiers, Qt::ShiftModifier | Qt::ControlModifier);
}
