// Browsing without waiting for pictures: the fields and the stored pictures are there at
// once, the pixels follow from the thread pool, and the records beside the shown one are
// read ahead into a cache that never shows anything a fresh read would not.
#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "pictures/ImageArea.h"
#include "pictures/JpegCodec.h"
#include "pictures/PictureCache.h"
#include "support/PictureWindows.h"
#include "support/TestImages.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Waiting.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <array>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::testing::near;

namespace {

using Values = std::vector<std::pair<QString, QVariant>>;

QByteArray solid(const QColor& colour, const QSize& size = {160, 120})
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return kelpora::JpegCodec::encode(image);
}

// A record whose six pictures are all of one colour.
Values colouredRecord(int code, const QColor& colour, const QSize& size = {160, 120})
{
    const QByteArray picture = solid(colour, size);
    return {{QStringLiteral("CODENO"), code}, {QStringLiteral("SHIO_ZU"), picture}, {QStringLiteral("CHIZU"), picture},
        {QStringLiteral("PHOTO1"), picture}, {QStringLiteral("PHOTO2"), picture}, {QStringLiteral("PHOTO3"), picture},
        {QStringLiteral("PHOTO4"), picture}};
}

// What the user sees in the area's picture right now, in its middle or near its top left.
bool shows(ImageArea* area, const QColor& colour, bool topLeft = false)
{
    const QRect drawn = ImageArea::targetRect(area->picture().size(), area->size(), area->displayMode());
    const QPoint at = topLeft ? drawn.topLeft() + QPoint(3, 3) : drawn.center();
    return !drawn.isEmpty() && near(area->grab().toImage().pixel(at), colour);
}

class InstantBrowsing : public ::testing::Test {
protected:
    TFishdataF& w() { return **browser; }
    int shownNumber() { return w().Edit_No->text().toInt(); }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    std::array<ImageArea*, 6> areas()
    {
        return {w().Image_Shio, w().Image_Map, w().Image_A, w().Image_B, w().Image_C, w().Image_D};
    }
    // The user looks at the record until its pictures are shown and its neighbours read.
    void pause()
    {
        ASSERT_TRUE(waitUntil([&] { return !w().picturesPending() && !w().readingAhead(); }));
    }
    void insert(const Values& values) { insertRecord(db.dm(), values); }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
};

} // namespace

// The pictures of the record stepped over decode slowest; whatever of them comes back
// after the second step must never reach the screen.
TEST_F(InstantBrowsing, TwoQuickStepsNeverShowTheFirstRecordsPictures)
{
    insert(colouredRecord(1, Qt::blue));
    insert(colouredRecord(2, Qt::red, {2400, 1800}));
    insert(colouredRecord(3, Qt::yellow));
    browser.emplace();
    press(w().Btn_Prior);
    press(w().Btn_Prior);
    ASSERT_EQ(shownNumber(), 1);

    int looks = 0;
    QStringList wrong;
    ASSERT_TRUE(waitUntil([&] {
        ++looks;
        for (ImageArea* area : areas())
            if (shows(area, Qt::red) || shows(area, Qt::yellow))
                wrong << area->objectName();
        return !w().picturesPending();
    }));
    EXPECT_TRUE(wrong.isEmpty()) << qPrintable(wrong.join(u' ')) << " after " << looks << " looks";
    for (ImageArea* area : areas())
        EXPECT_TRUE(shows(area, Qt::blue)) << qPrintable(area->objectName());
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

// The tide chart editor and the map input copy the browser's pictures when they open,
// which the user may do before any pixel of them is decoded.
TEST_F(InstantBrowsing, TheChartAndTheMapAreInTheirAreasAsSoonAsTheRecordIsShown)
{
    const QByteArray map = solid(Qt::green, {1600, 1200});
    insert({{QStringLiteral("CODENO"), 1},
        {QStringLiteral("SHIO_ZU"), kelpora::testing::bmpFile(kelpora::testing::quadrants({640, 480}))},
        {QStringLiteral("CHIZU"), map}});
    insertMinimal(db.dm(), 2);
    browser.emplace();
    EXPECT_EQ(ShioZu_Flag, 0);
    EXPECT_EQ(Chizu_Flag, 0);

    press(w().Btn_Prior); // no event is handled between this and the checks
    EXPECT_EQ(ShioZu_Flag, 1);
    EXPECT_EQ(Chizu_Flag, 1);
    EXPECT_EQ(w().Image_Shio->picture().kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(w().Image_Shio->picture().size(), QSize(640, 480));
    EXPECT_EQ(w().Image_Map->picture().jpegBytes(), map);

    Picture chartInEditor;
    QSize mapInInput;
    seams.modal.scripts.push_back([&](QDialog& editor) {
        chartInEditor = named<ImageArea>(&editor, "Image_S")->picture();
        click(&editor, "Btn_Return");
        return 0;
    });
    seams.modal.scripts.push_back([&](QDialog& input) {
        mapInInput = named<ImageArea>(&input, "Image_M")->picture().size();
        click(&input, "Btn_Return");
        return 0;
    });
    press(w().But_Cyoui);
    press(w().Btn_Chizu); // right after the browser showed the record again
    EXPECT_EQ(seams.modal.opened, (QStringList{QStringLiteral("New_Shio_InF"), QStringLiteral("Fish_Chizu_InF")}));
    EXPECT_EQ(chartInEditor.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(chartInEditor.size(), QSize(640, 480));
    EXPECT_EQ(mapInInput, QSize(1600, 1200));
}

TEST_F(InstantBrowsing, AStepOntoARecordReadAheadShowsItsPicturesWithoutDecodingAndExactlyAsDecoded)
{
    insert(colouredRecord(1, Qt::blue));
    insert({{QStringLiteral("CODENO"), 2}, {QStringLiteral("SHIO_ZU"), solid(Qt::cyan, {900, 300})},
        {QStringLiteral("CHIZU"), kelpora::testing::jpegFile({1200, 1600})},
        {QStringLiteral("PHOTO2"), kelpora::testing::jpegFile({640, 480})},
        {QStringLiteral("PHOTO4"), kelpora::testing::jpegFile({60, 40})}});
    insert(colouredRecord(3, Qt::yellow));
    browser.emplace();
    pause(); // opening on the last record, the user is expected to go back

    press(w().Btn_Prior);
    for (ImageArea* area : areas()) {
        SCOPED_TRACE(qPrintable(area->objectName()));
        EXPECT_FALSE(area->decodePending());
        if (area->picture().isNull())
            continue;
        const QImage fresh = kelpora::PictureDecoder::tryRender(area->picture(), area->drawnSize()).image;
        EXPECT_FALSE(fresh.isNull());
        EXPECT_TRUE(area->drawnImage() == fresh) << "what a fresh decode gives, at the same size";
    }
    EXPECT_TRUE(w().Image_A->picture().isNull());
    EXPECT_EQ(w().Image_D->drawnSize(), QSize(60, 40));
    EXPECT_TRUE(shows(w().Image_Shio, Qt::cyan));
    EXPECT_TRUE(shows(w().Image_B, Qt::red, true)); // the quadrants' top left
}

// The photo editor writes the photo; the browser, back from the viewer and then stepping
// away and back, shows the new one, not one kept from before.
TEST_F(InstantBrowsing, APhotoReplacedThroughTheViewerShowsAnewAfterSteppingAwayAndBack)
{
    for (const auto& [code, colour] : {std::pair{1, Qt::blue}, {2, Qt::red}, {3, Qt::yellow}})
        insert({{QStringLiteral("CODENO"), code}, {QStringLiteral("PHOTO1"), solid(colour)}});
    browser.emplace();
    press(w().Btn_Prior);
    pause();
    ASSERT_TRUE(shows(w().Image_A, Qt::red));

    QImage green(200, 100, QImage::Format_RGB888);
    green.fill(Qt::green);
    seams.clipboard.pictureImage = green;
    seams.modal.scripts.push_back([](QDialog& viewer) {
        click(&viewer, "Btn_No1");
        click(&viewer, "Button1");
        return 0;
    });
    seams.modal.scripts.push_back([](QDialog& editor) {
        click(&editor, "Btn_C_BORD");
        click(&editor, "Btn_Ok");
        return 0;
    });
    press(w().Btn_Photo);
    pause();
    EXPECT_TRUE(shows(w().Image_A, Qt::green));

    press(w().Btn_Prior);
    pause();
    EXPECT_TRUE(shows(w().Image_A, Qt::blue));
    press(w().Btn_Next);
    pause();
    EXPECT_EQ(shownNumber(), 2);
    EXPECT_EQ(w().Image_A->picture().size(), QSize(200, 100));
    EXPECT_TRUE(shows(w().Image_A, Qt::green));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(InstantBrowsing, ACorrectionsCommitClearsWhatWasReadAhead)
{
    for (const auto& [code, colour] : {std::pair{1, Qt::blue}, {2, Qt::red}, {3, Qt::yellow}})
        insert({{QStringLiteral("CODENO"), code}, {QStringLiteral("PHOTO1"), solid(colour)}});
    browser.emplace();
    press(w().Btn_Prior);
    pause();
    const std::shared_ptr<kelpora::PictureCache> cache = w().pictureCache();
    EXPECT_EQ(cache->size(), 3) << "the record shown and both beside it";

    QTest::mouseClick(w().Edit_Tenki, Qt::LeftButton);
    QTest::keyClicks(w().Edit_Tenki, QStringLiteral("x"));
    press(w().Btn_Teisei);
    EXPECT_EQ(cache->size(), 1) << "only the record shown, read again after the commit";
    pause();
    EXPECT_EQ(cache->size(), 3);
    EXPECT_TRUE(shows(w().Image_A, Qt::red));
    EXPECT_EQ(storedText(db.path(), 2, QStringLiteral("TENNKI")), QStringLiteral("x"));
}

// Read ahead, a damaged photo says nothing; shown, it is told once, with the record's other
// failure, and the rest of the record shows.
TEST_F(InstantBrowsing, ADamagedPhotoIsToldOnceWhenItsRecordIsShownAndTheOtherPicturesShow)
{
    const QByteArray good = solid(Qt::blue);
    insert({{QStringLiteral("CODENO"), 1}, {QStringLiteral("CHIZU"), solid(Qt::magenta)},
        {QStringLiteral("PHOTO1"), good}, {QStringLiteral("PHOTO2"), good.left(good.size() / 2)},
        {QStringLiteral("PHOTO3"), QByteArray("not a picture")}, {QStringLiteral("PHOTO4"), good}});
    insertMinimal(db.dm(), 2);
    browser.emplace();
    pause();
    EXPECT_TRUE(seams.messages.errors.isEmpty());

    press(w().Btn_Prior);
    pause();
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors.front().contains(QStringLiteral("写真2を表示できません\n")));
    EXPECT_TRUE(seams.messages.errors.front().contains(QStringLiteral("写真3を表示できません\n")))
        << "both failures in the one message";
    EXPECT_TRUE(w().Image_B->picture().isNull());
    EXPECT_TRUE(w().Image_C->picture().isNull());
    EXPECT_TRUE(shows(w().Image_A, Qt::blue));
    EXPECT_TRUE(shows(w().Image_D, Qt::blue));
    EXPECT_TRUE(shows(w().Image_Map, Qt::magenta));

    press(w().Btn_Next);
    press(w().Btn_Prior); // shown again, from what was kept: told again, once
    pause();
    EXPECT_EQ(seams.messages.errors.size(), 2);
    EXPECT_EQ(seams.messages.errors.back(), seams.messages.errors.front());
    EXPECT_TRUE(w().Image_B->picture().isNull());
}

TEST_F(InstantBrowsing, TwoHundredStepsKeepTheCacheWithinItsBound)
{
    const QByteArray photo = kelpora::testing::jpegFile({120, 90});
    for (int code = 1; code <= 25; ++code)
        insert({{QStringLiteral("CODENO"), code}, {QStringLiteral("CHIZU"), photo},
            {QStringLiteral("PHOTO1"), solid(QColor::fromHsv(code * 14, 255, 255))},
            {QStringLiteral("PHOTO3"), photo}});
    browser.emplace();
    const std::shared_ptr<kelpora::PictureCache> cache = w().pictureCache();
    const std::array<QPushButton*, 8> steps{w().Btn_Prior, w().Btn_Prior, w().Btn_D_10, w().Btn_Next, w().Btn_First,
        w().Btn_U_10, w().Btn_Next, w().Btn_Last};
    int largest = 0;
    for (int i = 0; i < 200; ++i) {
        press(steps[size_t(i * 7 % 8)]);
        if (i % 3 == 0)
            pause();
        else
            QCoreApplication::processEvents();
        largest = std::max(largest, cache->size());
        ASSERT_LE(cache->size(), cache->capacity()) << "step " << i;
        ASSERT_LE(cache->drawingCount(), cache->size() * kelpora::PictureCache::DrawingsPerPicture);
    }
    pause();
    EXPECT_LE(cache->size(), 3 * 3) << "three records of three pictures once the neighbours are read";
    EXPECT_GT(largest, 3) << "the neighbours were read ahead at all";
    const int shown = shownNumber();
    EXPECT_EQ(w().Image_A->picture().jpegBytes(), storedBlob(db.path(), shown, QStringLiteral("PHOTO1")));
    EXPECT_TRUE(shows(w().Image_A, QColor::fromHsv(shown * 14, 255, 255)));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}
