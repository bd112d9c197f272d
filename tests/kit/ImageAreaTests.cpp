#include "support/TestImages.h"

#include "kit/ImageArea.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

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

// The pool may hand results back in any order; only the picture the area holds now may
// ever be painted, and it is painted the moment its pixels arrive.
TEST_F(AreasOverCaption, ABackgroundDecodeShowsOnlyThePresentPicture)
{
    const Picture large = Picture::fromJpeg(jpegFile(QSize(3000, 2000))); // fitted 97 x 65, green on the right
    ImageArea* a = area(QRect(0, 0, 97, 81), Mode::Proportional);
    a->setDecoding(ImageArea::Decoding::InBackground);
    QSignalSpy displayed(a, &ImageArea::displayed);
    QSignalSpy failed(a, &ImageArea::decodeFailed);

    a->setPicture(large);
    a->decodeInBackground();
    EXPECT_TRUE(a->decodePending());
    EXPECT_TRUE(near(shot().pixel(70, 10), Caption, 0)) << "nothing is painted before the pixels are there";
    a->setPicture(Picture::fromBitmap(quadrants(QSize(50, 40))));
    a->decodeInBackground();
    ASSERT_TRUE(waitUntil([&] { return !a->decodePending(); }));
    QThreadPool::globalInstance()->waitForDone(); // the dropped decode has finished too
    QCoreApplication::processEvents();

    ASSERT_EQ(displayed.count(), 1);
    EXPECT_TRUE(displayed.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(a->drawnImage().size(), QSize(50, 40));
    const QImage s = shot();
    EXPECT_TRUE(near(s.pixel(10, 10), Qt::red, 0));
    EXPECT_TRUE(near(s.pixel(40, 30), Qt::white, 0));
    EXPECT_TRUE(near(s.pixel(70, 10), Caption, 0)) << "the dropped picture never shows";
    EXPECT_EQ(failed.count(), 0);
}

TEST_F(AreasOverCaption, ABackgroundDecodeThatFailsSaysWhyAndPaintsNothing)
{
    const QByteArray whole = jpegFile(QSize(200, 160));
    ImageArea* broken = area(QRect(0, 0, 97, 81), Mode::Proportional);
    broken->setDecoding(ImageArea::Decoding::InBackground);
    broken->setPicture(Picture::fromJpeg(whole.left(whole.size() / 2)));
    QSignalSpy displayed(broken, &ImageArea::displayed);
    QSignalSpy failed(broken, &ImageArea::decodeFailed);

    shot(); // a paint asks for the pixels itself
    ASSERT_TRUE(waitUntil([&] { return displayed.count() == 1; }));
    EXPECT_FALSE(displayed.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(broken->decodeError(), displayed.at(0).at(0).toString());
    EXPECT_TRUE(near(shot().pixel(40, 40), Caption, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(displayed.count(), 1) << "a failed picture is not decoded again at every paint";
    EXPECT_EQ(failed.count(), 0) << "told through displayed() alone";
}

// The photo viewer enlarges a panel while its photo may still be on its way.
TEST_F(AreasOverCaption, AnAreaResizedWhileDecodingGetsPixelsForItsNewSize)
{
    ImageArea* a = area(QRect(0, 0, 97, 81), Mode::ProportionalCentred);
    a->setDecoding(ImageArea::Decoding::InBackground);
    a->setPicture(Picture::fromJpeg(jpegFile(QSize(800, 600))));
    QSignalSpy displayed(a, &ImageArea::displayed);
    a->decodeInBackground();
    a->resize(400, 300);
    ASSERT_TRUE(waitUntil([&] { return displayed.count() == 1; }));
    EXPECT_EQ(a->drawnImage().size(), QSize(400, 300));
    EXPECT_FALSE(a->decodePending());

    // Pixels made elsewhere for this size are taken as they are; for another size, not.
    const QImage made = a->drawnImage();
    a->setPicture(a->picture());
    EXPECT_FALSE(a->adoptDisplay(QSize(97, 72), made, QString()));
    EXPECT_TRUE(a->adoptDisplay(QSize(400, 300), made, QString()));
    EXPECT_FALSE(a->decodePending());
    EXPECT_TRUE(near(shot().pixel(10, 10), Qt::red));
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
