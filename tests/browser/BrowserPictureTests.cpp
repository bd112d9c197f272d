#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "imaging/JpegCodec.h"
#include "kit/ImageArea.h"
#include "pictures/Fish_Chizu_In_F.h"
#include "pictures/Map_F.h"
#include "pictures/Photo_Big_F.h"
#include "support/PictureWindows.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/TestImages.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::ImageArea;
using kelpora::Picture;
using kelpora::testing::jpegFile;
using kelpora::testing::quadrants;

namespace {

class BrowserPictures : public ::testing::Test {
protected:
    int shownNumber() const { return (*browser)->Edit_No->text().toInt(); }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<ShownBrowser> browser;
};

} // namespace

TEST_F(BrowserPictures, TheMapButtonEditsTheShownRecordsMapAndShowsItOnReturn)
{
    for (int code = 1; code <= 3; ++code)
        insertMinimal(db.dm(), code);
    browser.emplace();
    press((*browser)->Btn_Prior);
    Mode_Flg = kNewFlg; // as the entry window leaves it
    seams.clipboard.bitmapImage = quadrants({120, 90});
    QString modeSeen;
    seams.modal.scripts.push_back([&](QDialog& input) {
        modeSeen = Mode_Flg;
        EXPECT_EQ(named<QLineEdit>(&input, "Edit_CODE")->text(), QStringLiteral("2"));
        click(&input, "Btn_In");
        click(&input, "Btn_OK");
        return 0;
    });
    press((*browser)->Btn_Chizu);
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("Fish_Chizu_InF")});
    EXPECT_EQ(modeSeen, kOldFlg);
    EXPECT_EQ(Fish_Chizu_InF, nullptr);
    EXPECT_EQ(shownNumber(), 2);
    EXPECT_EQ((*browser)->Image_Map->picture().size(), QSize(120, 90));
    EXPECT_EQ(Chizu_Flag, 1);
}

// The search narrows the browser's statement; the editors must bring the user back to the
// same record of the same result, not to the same ordinal of all records.
TEST_F(BrowserPictures, DuringASearchThePhotoViewerAndTheMapInputReturnToTheSameRecordAndResult)
{
    for (int code = 1; code <= 6; ++code)
        insertMinimal(db.dm(), code);
    browser.emplace();
    kelpora::SqlQuery& records = *(*browser)->IBSQL_2;
    records.close();
    records.clearSql();
    records.addSql(QStringLiteral("select * from FISH_DATA where CODENO > 3 order by CODENO"));
    records.open();
    records.last();
    press((*browser)->Btn_Prior);
    ASSERT_EQ(shownNumber(), 5);

    seams.clipboard.pictureImage = quadrants({60, 40});
    QString viewerSaw;
    seams.modal.scripts.push_back([&](QDialog& viewer) {
        viewerSaw = named<QLabel>(&viewer, "Label_Code")->text();
        click(&viewer, "Btn_No1"); // opens the editor, which the next script drives
        click(&viewer, "Button1");
        return 0;
    });
    seams.modal.scripts.push_back([](QDialog& editor) {
        click(&editor, "Btn_C_BORD");
        click(&editor, "Btn_Ok");
        return 0;
    });
    press((*browser)->Btn_Photo);
    EXPECT_EQ(seams.modal.opened, (QStringList{QStringLiteral("Photo_BigF"), QStringLiteral("PhotoF")}));
    EXPECT_EQ(viewerSaw, QStringLiteral("5"));
    EXPECT_EQ(Photo_Mark, QStringLiteral("2"));
    EXPECT_EQ(shownNumber(), 5);
    EXPECT_EQ(records.rowCount(), 3);
    EXPECT_EQ((*browser)->Image_A->picture().size(), QSize(60, 40));

    seams.modal.scripts.push_back([](QDialog& input) {
        click(&input, "Btn_Return");
        return 0;
    });
    press((*browser)->Btn_Chizu);
    EXPECT_EQ(shownNumber(), 5);
    EXPECT_EQ(records.rowCount(), 3);
}

// The enlarged views open only for what the record holds: the photo viewer when any of
// the four photos is stored (from any thumbnail), the map view when the map is.
TEST_F(BrowserPictures, ADoubleClickOpensTheEnlargedViewsOnlyForWhatTheRecordHolds)
{
    insertMinimal(db.dm(), 1);
    insertRecord(db.dm(),
        {{QStringLiteral("CODENO"), 2}, {QStringLiteral("PHOTO3"), jpegFile({80, 60})},
            {QStringLiteral("CHIZU"), jpegFile({900, 700})}});
    browser.emplace();
    QSize mapSeen;
    seams.modal.scripts.push_back([](QDialog&) { return 0; });
    seams.modal.scripts.push_back([&](QDialog& view) {
        mapSeen = named(&view, "Image_MM")->size();
        return 0;
    });
    doubleClick(browser->get(), "Image_A"); // empty, but photo 3 is there
    doubleClick(browser->get(), "Image_Map");
    EXPECT_EQ(seams.modal.opened, (QStringList{QStringLiteral("Photo_BigF"), QStringLiteral("MapF")}));
    EXPECT_EQ(mapSeen, QSize(900, 700));
    EXPECT_EQ(MapF, nullptr);
    EXPECT_EQ(shownNumber(), 2);

    press((*browser)->Btn_Prior);
    for (const char* picture : {"Image_A", "Image_B", "Image_C", "Image_D", "Image_Map"})
        doubleClick(browser->get(), picture);
    EXPECT_EQ(seams.modal.opened.size(), 2);
    EXPECT_EQ(Photo_Mark, QStringLiteral("1"));
}
