#include "core/SharedState.h"
#include "kit/ImageArea.h"
#include "pictures/Photo_Big_F.h"
#include "pictures/Photo_F.h"
#include "support/PictureWindows.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/TestImages.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::testing::jpegFile;

namespace {

class PhotoViewer : public ::testing::Test {
protected:
    // Record 3 with the given photos, shown in the browser, and the viewer opened over it.
    TPhoto_BigF& open(const std::vector<std::pair<QString, QVariant>>& photos)
    {
        std::vector<std::pair<QString, QVariant>> values{{QStringLiteral("CODENO"), 3}};
        values.insert(values.end(), photos.begin(), photos.end());
        insertRecord(db.dm(), values);
        browser.emplace();
        EXPECT_TRUE(picturesShown(**browser));
        seams.messages.errors.clear(); // what the browser said about the same photos
        viewer.emplace(Photo_BigF, browser->get());
        return viewer->shown();
    }
    QFrame* panel(int slot) { return named<QFrame>(viewer->get(), kPanels[slot]); }
    ImageArea* image(int slot) { return named<ImageArea>(viewer->get(), kImages[slot]); }
    void doubleClickPhoto(int slot) { doubleClick(viewer->get(), kImages[slot]); }
    bool onlyVisible(int slot)
    {
        for (int i = 0; i < 4; ++i)
            if (panel(i)->isVisible() != (i == slot))
                return false;
        return true;
    }

    static constexpr const char* kPanels[4] = {"Panel_AA", "Panel_BB", "Panel_CC", "Panel_DD"};
    static constexpr const char* kImages[4] = {"Image_AA", "Image_BB", "Image_CC", "Image_DD"};
    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
    std::optional<OpenWindow<TPhoto_BigF>> viewer;
};

} // namespace

TEST_F(PhotoViewer, IsLaidOutAsDesigned)
{
    TPhoto_BigF& w = open({});
    EXPECT_EQ(w.windowTitle(), QStringLiteral("拡大写真　ダブルクリックすると拡大します"));
    EXPECT_EQ(w.size(), QSize(955, 683));
    EXPECT_EQ(w.maximumHeight(), w.minimumHeight()); // only the height is fixed
    EXPECT_LT(w.minimumWidth(), w.maximumWidth());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panel(i)->geometry(), TPhoto_BigF::kHome[size_t(i)]) << kPanels[i];
        EXPECT_EQ(panel(i)->frameWidth(), 1);
        EXPECT_EQ(panel(i)->palette().color(QPalette::Window), QColor(170, 211, 249));
        EXPECT_EQ(image(i)->geometry(), QRect(1, 1, 400, 300));
        EXPECT_EQ(image(i)->displayMode(), ImageArea::DisplayMode::ProportionalCentred);
    }
    EXPECT_EQ(named<QPushButton>(&w, "Btn_No4")->text(), QStringLiteral("4"));
    EXPECT_EQ(named<QLabel>(&w, "Label3")->text(), QStringLiteral("CODENo"));
    EXPECT_EQ(named<QLabel>(&w, "Label1")->text(), QStringLiteral("写真の編集"));
    EXPECT_EQ(named<QLabel>(&w, "Label_Code")->text(), QStringLiteral("3"));
    EXPECT_EQ(TPhoto_BigF::readLines(),
        (QStringList{QStringLiteral(" select PHOTO1 , PHOTO2 , PHOTO3 , PHOTO4 "),
            QStringLiteral(" from FISH_DATA where CODENO = :parCODE   ")}));
    click(&w, "Button1");
    EXPECT_FALSE(w.isVisible());
}

TEST_F(PhotoViewer, ADoubleClickEnlargesAPhotoOverTheOthersAndBackButAnEmptyPanelDoesNothing)
{
    const QByteArray photo3 = jpegFile({640, 480});
    open({{QStringLiteral("PHOTO3"), photo3}, {QStringLiteral("PHOTO4"), jpegFile({320, 240})}});
    EXPECT_EQ(image(2)->picture().jpegBytes(), photo3); // bottom left
    for (int empty : {0, 1})
        doubleClickPhoto(empty);
    EXPECT_EQ(panel(0)->geometry(), TPhoto_BigF::kHome[0]);
    EXPECT_TRUE(panel(3)->isVisible());

    doubleClickPhoto(3);
    EXPECT_EQ(panel(3)->geometry(), QRect(8, 16, 802, 602));
    EXPECT_EQ(image(3)->size(), QSize(800, 600));
    EXPECT_TRUE(onlyVisible(3));
    doubleClickPhoto(3);
    EXPECT_EQ(panel(3)->geometry(), QRect(416, 328, 402, 302));
    EXPECT_EQ(image(3)->size(), QSize(400, 300));
    EXPECT_TRUE(panel(0)->isVisible() && panel(1)->isVisible() && panel(2)->isVisible());
}

TEST_F(PhotoViewer, ASlotButtonOpensTheEditorAndItsChangeShowsAtOnceWithThePanelsAsTheyWere)
{
    open({{QStringLiteral("PHOTO1"), jpegFile({400, 300})}});
    doubleClickPhoto(0);
    seams.clipboard.pictureImage = kelpora::testing::quadrants({200, 100});
    seams.modal.scripts.push_back([](QDialog& editor) {
        EXPECT_EQ(named<QLabel>(&editor, "Label_CODE")->text(), QStringLiteral("3"));
        click(&editor, "Btn_C_BORD");
        click(&editor, "Btn_Ok");
        return 0;
    });
    click(viewer->get(), "Btn_No2");
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("PhotoF")});
    EXPECT_EQ(Photo_No, 2);
    EXPECT_EQ(PhotoF, nullptr); // destroyed when it closed
    EXPECT_EQ(image(1)->picture().size(), QSize(200, 100));
    EXPECT_EQ(panel(0)->geometry(), TPhoto_BigF::kEnlarged);
    EXPECT_TRUE(onlyVisible(0));

    // Clearing the enlarged photo leaves an empty enlarged panel, which still goes back.
    seams.modal.scripts.push_back([](QDialog& editor) {
        click(&editor, "Btn_Clear");
        click(&editor, "Btn_Ok");
        return 0;
    });
    click(viewer->get(), "Btn_No1");
    EXPECT_TRUE(image(0)->picture().isNull());
    EXPECT_FALSE(storedBlob(db.path(), 3, QStringLiteral("PHOTO1")).has_value());
    EXPECT_EQ(panel(0)->geometry(), TPhoto_BigF::kEnlarged);
    doubleClickPhoto(0);
    EXPECT_EQ(panel(0)->geometry(), TPhoto_BigF::kHome[0]);
    EXPECT_TRUE(panel(1)->isVisible());
}

TEST_F(PhotoViewer, ADamagedPhotoIsReportedAndTheOthersStillShow)
{
    const QByteArray good = jpegFile({400, 300});
    TPhoto_BigF& w = open({{QStringLiteral("PHOTO1"), QByteArray("no picture here")},
        {QStringLiteral("PHOTO2"), good.left(good.size() / 2)}, {QStringLiteral("PHOTO3"), good},
        {QStringLiteral("PHOTO4"), kelpora::testing::bmpFile(kelpora::testing::quadrants({40, 30}))}});
    ASSERT_TRUE(picturesShown(w)); // decoding finds the damage past the header
    ASSERT_EQ(seams.messages.errors.size(), 1) << "one message for the record";
    EXPECT_EQ(image(2)->picture().jpegBytes(), good);
    for (int damaged : {0, 1, 3}) {
        EXPECT_TRUE(image(damaged)->picture().isNull()) << damaged;
        EXPECT_TRUE(seams.messages.errors.join(u'\n').contains(QStringLiteral("写真%1").arg(damaged + 1)));
    }
    EXPECT_FALSE(seams.messages.errors.join(u'\n').contains(QStringLiteral("写真3")));
    doubleClickPhoto(1);
    EXPECT_EQ(panel(1)->geometry(), TPhoto_BigF::kHome[1]);
}

// The photos arrive from the thread pool, each at the size its panel shows it; opened again
// on the same record, the viewer has them at once from the browser's cache.
TEST_F(PhotoViewer, PhotosArriveInTheBackgroundAndOpenedAgainAreThereAtOnce)
{
    const QByteArray photo = jpegFile({1600, 1200});
    TPhoto_BigF& w = open({{QStringLiteral("PHOTO1"), photo}, {QStringLiteral("PHOTO4"), jpegFile({40, 30})}});
    EXPECT_EQ(image(0)->picture().jpegBytes(), photo) << "the photo is in its area as the window opens";
    ASSERT_TRUE(picturesShown(w));
    EXPECT_EQ(image(0)->drawnSize(), QSize(400, 300));
    EXPECT_EQ(image(0)->drawnImage().size(), QSize(400, 300));
    EXPECT_EQ(image(3)->drawnImage().size(), QSize(40, 30));
    doubleClickPhoto(0);
    ASSERT_TRUE(waitUntil([&] { return !image(0)->decodePending(); }));
    EXPECT_EQ(image(0)->drawnImage().size(), QSize(800, 600));
    EXPECT_TRUE(kelpora::testing::near(image(0)->grab().toImage().pixel(10, 10), Qt::red));
    click(&w, "Button1");
    viewer.reset();

    viewer.emplace(Photo_BigF, browser->get());
    viewer->shown();
    for (int slot : {0, 3}) {
        EXPECT_FALSE(image(slot)->decodePending()) << slot;
        EXPECT_FALSE(image(slot)->drawnImage().isNull()) << slot;
    }
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(PhotoViewer, ARecordNumberThatIsNoNumberIsReportedAndTheWindowStillOpens)
{
    insertRecord(db.dm(), {{QStringLiteral("CODENO"), 1}, {QStringLiteral("PHOTO1"), jpegFile({40, 30})}});
    browser.emplace();
    (*browser)->Edit_No->setText(QStringLiteral("1a"));
    viewer.emplace(Photo_BigF, browser->get());
    EXPECT_TRUE(viewer->shown().isVisible());
    EXPECT_TRUE(image(0)->picture().isNull());
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors.front().contains(QStringLiteral("1a")));
}
