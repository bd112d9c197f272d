#include "support/TestImages.h"

#include "pictures/ImageArea.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

using namespace kelpora;
using namespace kelpora::testing;
using Mode = ImageArea::DisplayMode;

namespace {

QRect target(QSize picture, QSize area, Mode mode)
{
    return ImageArea::targetRect(picture, area, mode);
}

TEST(ImageAreaGeometry, NaturalAndAutoSizeUseThePicturesOwnSize)
{
    EXPECT_EQ(target(QSize(800, 600), QSize(500, 500), Mode::Natural), QRect(0, 0, 800, 600));
    EXPECT_EQ(target(QSize(50, 40), QSize(500, 500), Mode::Natural), QRect(0, 0, 50, 40));
    EXPECT_EQ(target(QSize(1200, 900), QSize(10, 10), Mode::AutoSize), QRect(0, 0, 1200, 900));
}

TEST(ImageAreaGeometry, ProportionalShrinksKeepingTheAspectButNeverEnlarges)
{
    EXPECT_EQ(target(QSize(800, 600), QSize(97, 81), Mode::Proportional), QRect(0, 0, 97, 72));
    EXPECT_EQ(target(QSize(300, 600), QSize(334, 250), Mode::Proportional), QRect(0, 0, 125, 250));
    EXPECT_EQ(target(QSize(100, 300), QSize(334, 250), Mode::Proportional), QRect(0, 0, 83, 250));
    EXPECT_EQ(target(QSize(50, 40), QSize(97, 81), Mode::Proportional), QRect(0, 0, 50, 40));
    EXPECT_EQ(target(QSize(10000, 1), QSize(100, 100), Mode::Proportional), QRect(0, 0, 100, 1));
    EXPECT_TRUE(target(QSize(), QSize(97, 81), Mode::Proportional).isEmpty());
    EXPECT_TRUE(target(QSize(800, 600), QSize(0, 0), Mode::Proportional).isEmpty());
}

TEST(ImageAreaGeometry, CentredPlacesTheFittedPictureInTheMiddle)
{
    EXPECT_EQ(target(QSize(50, 40), QSize(97, 81), Mode::ProportionalCentred), QRect(23, 20, 50, 40));
    EXPECT_EQ(target(QSize(800, 600), QSize(334, 250), Mode::ProportionalCentred), QRect(0, 0, 333, 250));
    EXPECT_EQ(target(QSize(300, 600), QSize(334, 250), Mode::ProportionalCentred), QRect(104, 0, 125, 250));
}

// Areas laid over a yellow caption, as the windows do. Each area's own background is
// magenta, so any background it painted would show.
class AreasOverCaption : public ::testing::Test {
protected:
    const QColor Caption{255, 255, 0};

    AreasOverCaption()
    {
        m_parent.resize(800, 400);
        auto* caption = new QWidget(&m_parent);
        caption->setGeometry(0, 0, 800, 400);
        QPalette yellow;
        yellow.setColor(QPalette::Window, Caption);
        caption->setPalette(yellow);
        caption->setAutoFillBackground(true);
    }

    ImageArea* area(QRect geometry, Mode mode, const Picture& picture = Picture())
    {
        auto* a = new ImageArea(&m_parent);
        QPalette magenta;
        magenta.setColor(QPalette::Window, Qt::magenta);
        a->setPalette(magenta);
        a->setGeometry(geometry);
        a->setDisplayMode(mode);
        a->setPicture(picture);
        return a;
    }

    QImage shot() { return m_parent.grab().toImage(); }

    QWidget m_parent;
};

TEST_F(AreasOverCaption, EachModeDrawsWhereItsGeometrySays)
{
    area(QRect(0, 0, 97, 81), Mode::Proportional, Picture::fromJpeg(jpegFile(QSize(800, 600))));
    area(QRect(100, 0, 97, 81), Mode::ProportionalCentred, Picture::fromBitmap(quadrants(QSize(50, 40))));
    area(QRect(200, 0, 100, 100), Mode::Natural, Picture::fromBitmap(quadrants(QSize(200, 200))));
    ImageArea* autoSize = area(QRect(400, 0, 10, 10), Mode::AutoSize, Picture::fromBitmap(quadrants(QSize(300, 200))));
    ImageArea* cleared = area(QRect(0, 300, 97, 81), Mode::Proportional, Picture::fromBitmap(quadrants(QSize(9, 9))));
    cleared->clear();
    area(QRect(100, 300, 97, 81), Mode::Proportional);

    EXPECT_EQ(autoSize->size(), QSize(300, 200));
    const QImage s = shot();
    EXPECT_TRUE(near(s.pixel(10, 10), Qt::red)); // proportional: all four quarters, shrunk
    EXPECT_TRUE(near(s.pixel(87, 10), Qt::green));
    EXPECT_TRUE(near(s.pixel(10, 62), Qt::blue));
    EXPECT_TRUE(near(s.pixel(87, 62), Qt::white));
    EXPECT_TRUE(near(s.pixel(50, 78), Caption, 0)); // below the fitted 97x72
    EXPECT_TRUE(near(s.pixel(110, 10), Caption, 0)); // centred: caption around it
    EXPECT_TRUE(near(s.pixel(124, 21), Qt::red, 0));
    EXPECT_TRUE(near(s.pixel(172, 59), Qt::white, 0));
    EXPECT_TRUE(near(s.pixel(299, 99), Qt::red, 0)); // natural: the red quarter only, cut off
    EXPECT_TRUE(near(s.pixel(320, 150), Caption, 0));
    EXPECT_TRUE(near(s.pixel(699, 199), Qt::white, 0)); // auto-size shows it all
    EXPECT_TRUE(near(s.pixel(40, 340), Caption, 0)); // cleared and empty areas paint nothing
    EXPECT_TRUE(near(s.pixel(140, 340), Caption, 0));
}

TEST_F(AreasOverCaption, PrepareAllReportsTheBadPictureAndShowsTheOthers)
{
    const QByteArray whole = jpegFile(QSize(200, 160));
    const Picture good = Picture::fromJpeg(jpegFile(QSize(800, 600)));
    ImageArea* first = area(QRect(0, 0, 97, 81), Mode::Proportional, good);
    ImageArea* broken
        = area(QRect(100, 0, 97, 81), Mode::Proportional, Picture::fromJpeg(whole.left(whole.size() / 2)));
    ImageArea* bitmap
        = area(QRect(200, 0, 334, 250), Mode::ProportionalCentred, Picture::fromBitmap(quadrants(QSize(1000, 500))));
    ImageArea* empty = area(QRect(0, 300, 97, 81), Mode::Proportional);
    ImageArea* sharing = area(QRect(600, 0, 150, 150), Mode::Proportional, good);
    QSignalSpy failed(broken, &ImageArea::decodeFailed);

    const QStringList errors = ImageArea::prepareAll({first, broken, bitmap, empty, nullptr, sharing});
    ASSERT_EQ(errors.size(), 6);
    EXPECT_EQ(errors.count(QString()), 5);
    EXPECT_FALSE(errors[1].isEmpty());
    EXPECT_EQ(broken->decodeError(), errors[1]);

    const QImage s = shot();
    EXPECT_TRUE(near(s.pixel(87, 62), Qt::white));
    EXPECT_TRUE(near(s.pixel(150, 40), Caption, 0)); // the broken one shows nothing
    EXPECT_TRUE(near(s.pixel(210, 70), Qt::red)); // 334x167, centred from y 41
    EXPECT_TRUE(near(s.pixel(740, 100), Qt::white));
    QCoreApplication::processEvents();
    EXPECT_EQ(failed.count(), 0) << "already reported by prepareAll, not again when painted";
}

TEST_F(AreasOverCaption, AFailureWhilePaintingIsSignalledOnce)
{
    const QByteArray whole = jpegFile(QSize(200, 160));
    ImageArea* broken = area(QRect(0, 0, 97, 81), Mode::Natural, Picture::fromJpeg(whole.left(whole.size() / 2)));
    QSignalSpy failed(broken, &ImageArea::decodeFailed);
    shot();
    shot();
    QCoreApplication::processEvents();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(), broken->decodeError());
}

TEST(ImageAreaMouse, ClickAndDoubleClickAreSignalled)
{
    ImageArea area;
    area.resize(97, 81);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    QSignalSpy clicked(&area, &ImageArea::clicked);
    QSignalSpy doubleClicked(&area, &ImageArea::doubleClicked);

    QTest::mouseClick(&area, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mousePress(&area, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&area, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200)); // dragged off
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseDClick(&area, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(doubleClicked.count(), 1);
}

} // namespace
