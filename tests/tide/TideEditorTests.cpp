// The tide chart editor opened from the browser (stored record) and from the entry
// window (new record): what it shows at opening, and what "登　録" stores or hands back.
#include "TideFixtures.h"

#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "entry/Fish_Data_IN.h"
#include "pictures/ImageArea.h"
#include "pictures/PictureStore.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "tide/New_Shio_In_F.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace kelpora::testing;
using kelpora::Picture;
using kelpora::Shape;
using Editor = TNew_Shio_InF;

namespace {

// The statements exactly as they must be sent.
// clang-format off
const QString kUpdateSql = QStringLiteral(" update FISH_DATA set                SHIO_ZU     = :parSHIO_ZU         , NEW_1_S = :parNEW_1_S , NEW_1_E = :parNEW_1_E , NEW_2_S = :parNEW_2_S , NEW_2_E = :parNEW_2_E , NEW_3_S = :parNEW_3_S , NEW_3_E = :parNEW_3_E , NEW_4_S = :parNEW_4_S , NEW_4_E = :parNEW_4_E , NEW_5_S = :parNEW_5_S , NEW_5_E = :parNEW_5_E , NEW_6_S = :parNEW_6_S , NEW_6_E = :parNEW_6_E   where CODENO = :parCODE ");
const QString kReadSql = QStringLiteral(" select SHIO_ZU,                         NEW_1_S , NEW_1_E , NEW_2_S , NEW_2_E,  NEW_3_S , NEW_3_E , NEW_4_S , NEW_4_E,  NEW_5_S , NEW_5_E , NEW_6_S , NEW_6_E   from FISH_DATA where CODENO = :parCODE ");
// clang-format on

QRect band(int s, int e, int height)
{
    return QRect(16 + s, 16, e, height);
}

QRect circle(int s, int e)
{
    return QRect(16 + s, 16 + e, 17, 17);
}

// A left-button drag on one mark, pointer positions given in the window.
void drag(Shape* shape, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(shape, button, {}, from - shape->pos());
    QTest::mouseMove(shape, to - shape->pos());
    QTest::mouseRelease(shape, button, {}, to - shape->pos());
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray qtJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 40);
    return bytes;
}

Picture decoded(const QByteArray& bytes)
{
    return kelpora::PictureStore::fromBytes(bytes, kelpora::ReadRule::JpegOnly);
}

class TideEditor : public ::testing::Test {
protected:
    void openBrowser()
    {
        browser.emplace(FishdataF, nullptr);
        browser->shown();
    }

    // The browser's "潮位" button, with the editor driven by `drive` while it is open.
    void editFromBrowser(std::function<void(Editor&)> drive)
    {
        seams.modal.scripts.push_back([drive](QDialog& d) {
            drive(static_cast<Editor&>(d));
            return 0;
        });
        click((*browser)->But_Cyoui);
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<OpenWindow<TFishdataF>> browser;
};

} // namespace

TEST_F(TideEditor, OpensOnTheBrowsersRecordWithItsChartAndMarks)
{
    insertMinimal(db.dm(), 1);
    const QByteArray chart = jpegFile(tideChart(600, 400));
    const Marks marks{40, 100, 60, 30, 200, 50, 100, 50, -5, 20, 0, 0};
    insertChartRecord(db.dm(), 2, chart, marks);
    openBrowser();
    Mode_Flg = kNewFlg;

    bool ran = false;
    editFromBrowser([&](Editor& ed) {
        ran = true;
        EXPECT_EQ(Mode_Flg, kOldFlg);
        EXPECT_EQ(ed.windowTitle(), QStringLiteral("潮位 New"));
        EXPECT_EQ(ed.size(), QSize(600 + 190, 560)); // wider than 500: widened; not taller: the floor
        EXPECT_EQ(ed.Image_S->geometry(), QRect(16, 16, 600, 500));
        EXPECT_EQ(ed.Image_S->displayMode(), kelpora::ImageArea::DisplayMode::Natural);
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("2"));
        EXPECT_FALSE(ed.Edit_CODE->isReadOnly());
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("jpg"));

        EXPECT_EQ(ed.Shape_1->geometry(), band(40, 100, 400));
        EXPECT_EQ(ed.Shape_2->geometry(), band(60, 30, 400));
        EXPECT_EQ(ed.Shape_3->geometry(), band(200, 50, 400));
        EXPECT_EQ(ed.Shape_4->geometry(), circle(100, 50));
        EXPECT_EQ(ed.Shape_5->geometry(), circle(-5, 20));
        for (Shape* s : {ed.Shape_1, ed.Shape_2, ed.Shape_3, ed.Shape_4, ed.Shape_5})
            EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
        EXPECT_FALSE(ed.Shape_6->isVisible());

        // Mark controls wait for "釣り時間の表示"; the column keeps its place from the right edge.
        EXPECT_FALSE(ed.S_Btn_1->isEnabled());
        EXPECT_FALSE(ed.Label_AAA->isEnabled());
        EXPECT_EQ(ed.Btn_S00->text(), QStringLiteral("-"));
        EXPECT_EQ(ed.Btn_Return->geometry(), QRect(ed.width() - 160, 16, 153, 32));
        EXPECT_EQ(ed.Panel_Time->geometry(), QRect(ed.width() - 160, 296, 153, 225));
        EXPECT_EQ(ed.Btn_OK->text(), QStringLiteral("登　録"));

        click(ed.Btn_Return);
        EXPECT_FALSE(ed.isVisible());
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(New_Shio_InF, nullptr);
    const StoredChart stored = readStored(db.path(), 2);
    EXPECT_EQ(stored.chart, chart);
    EXPECT_EQ(stored.marks, marks);
}

TEST_F(TideEditor, PastedAndMarkedChartIsStoredAsAFreshJpegWithItsMarks)
{
    insertMinimal(db.dm(), 7);
    openBrowser();
    seams.clipboard.bitmapImage = tideChart(640, 480);
    editFromBrowser([&](Editor& ed) {
        EXPECT_TRUE(ed.Image_S->picture().isNull());
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("7"));
        click(ed.Btn_In);
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("640 * 480"));
        EXPECT_EQ(ed.size(), QSize(830, 560));

        click(ed.Btn_Time);
        click(ed.S_Btn_1);
        EXPECT_EQ(ed.Shape_1->geometry(), band(0, 100, 480));
        drag(ed.Shape_1, Qt::LeftButton, {50, 200}, {150, 200}); // moved 100 to the right
        drag(ed.Shape_1, Qt::RightButton, {200, 200}, {260, 200}); // right edge 60 further
        click(ed.S_Btn_2);
        drag(ed.Shape_2, Qt::LeftButton, {30, 100}, {330, 100});
        click(ed.S_Btn_3__);
        drag(ed.Shape_4, Qt::LeftButton, {60, 52}, {300, 250});
        click(ed.Btn_O_2);
        EXPECT_EQ(ed.Btn_O_2->text(), QStringLiteral("+"));

        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
        EXPECT_EQ(ed.IBSQL_UP->sqlText(), kUpdateSql);
        EXPECT_EQ(ed.IBSQL->sqlText(), kReadSql);
    });

    const StoredChart stored = readStored(db.path(), 7);
    EXPECT_EQ(stored.marks, (Marks{100, 160, 300, 80, 0, 0, 280, 230, 0, 0, 0, 0}));
    EXPECT_EQ(stored.reserved, (std::array<int, 6>{}));
    ASSERT_TRUE(stored.chart.startsWith("\xFF\xD8"));
    EXPECT_EQ(decoded(stored.chart).size(), QSize(640, 480));
    // The browser shows the record again, with its new chart.
    EXPECT_EQ((*browser)->Edit_No->text(), QStringLiteral("7"));
    EXPECT_EQ((*browser)->Image_Shio->picture().kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(ShioZu_Flag, 1);
    EXPECT_TRUE(seams.messages.informed.isEmpty());
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(TideEditor, UntouchedMarksAreStoredBackExactlyAsTheyWereRead)
{
    // Feeding periods without a fishing period, a band flush with the chart's left edge,
    // a band stored with a negative width, catch times left of the chart and on its top
    // edge: all of them are marks, as only 0 and 0 means none.
    const QByteArray chart = qtJpeg(tideChart(480, 360, 3));
    const Marks marks{0, 0, 0, 120, 150, -5, -8, 40, 0, 25, 470, 350};
    insertChartRecord(db.dm(), 4, chart, marks);
    openBrowser();
    editFromBrowser([&](Editor& ed) {
        EXPECT_FALSE(ed.Shape_1->isVisible());
        EXPECT_TRUE(ed.Shape_2->isVisible());
        EXPECT_EQ(ed.Shape_2->geometry(), band(0, 120, 360));
        EXPECT_TRUE(ed.Shape_3->isVisible());
        EXPECT_EQ(ed.Shape_3->geometry(), band(150, 0, 360));
        EXPECT_EQ(ed.Shape_4->geometry(), circle(-8, 40));
        EXPECT_TRUE(ed.Shape_4->isVisible());
        EXPECT_EQ(ed.Shape_5->geometry(), circle(0, 25));
        EXPECT_TRUE(ed.Shape_5->isVisible());
        EXPECT_EQ(ed.Shape_6->geometry(), circle(470, 350));
        // A press and release without moving changes nothing.
        QTest::mouseClick(ed.Shape_4, Qt::LeftButton, {}, {8, 8});
        click(ed.Btn_OK);
    });
    const StoredChart stored = readStored(db.path(), 4);
    EXPECT_EQ(stored.marks, marks);
    // Always encoded afresh, never the bytes that were read.
    EXPECT_NE(stored.chart, chart);
    EXPECT_EQ(decoded(stored.chart).size(), QSize(480, 360));
}

TEST_F(TideEditor, MovedAndHiddenMarksAreStoredFromWhereTheyStand)
{
    const Marks marks{40, 100, 60, 30, 200, 50, 100, 50, 120, 60, 0, 0};
    insertChartRecord(db.dm(), 5, jpegFile(tideChart(500, 300)), marks);
    openBrowser();
    editFromBrowser([&](Editor& ed) {
        click(ed.Btn_Time);
        click(ed.Btn_S01); // feeding period 1 hidden
        drag(ed.Shape_4, Qt::LeftButton, {120, 70}, {140, 90}); // catch time 1 moved
        click(ed.Btn_OK);
    });
    EXPECT_EQ(readStored(db.path(), 5).marks, (Marks{40, 100, 0, 0, 200, 50, 120, 70, 120, 60, 0, 0}));
}

TEST_F(TideEditor, RegisteringWithoutAPictureStoresNothing)
{
    const QByteArray chart = jpegFile(tideChart(300, 200));
    const Marks marks{10, 50, 0, 0, 0, 0, 20, 20, 0, 0, 0, 0};
    insertChartRecord(db.dm(), 3, chart, marks);
    openBrowser();
    editFromBrowser([&](Editor& ed) {
        ASSERT_FALSE(ed.Image_S->picture().isNull());
        click(ed.Btn_Clear);
        EXPECT_TRUE(ed.Image_S->picture().isNull());
        EXPECT_TRUE(ed.Label_XY->text().isEmpty());
        EXPECT_TRUE(ed.Shape_1->isVisible()); // marks stay
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
    });
    const StoredChart stored = readStored(db.path(), 3);
    EXPECT_EQ(stored.chart, chart);
    EXPECT_EQ(stored.marks, marks);
}

TEST_F(TideEditor, ATypedOverRecordNumberIsTheRecordWritten)
{
    insertMinimal(db.dm(), 3);
    insertMinimal(db.dm(), 4);
    openBrowser();
    seams.clipboard.bitmapImage = tideChart(320, 240);
    editFromBrowser([&](Editor& ed) {
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("4"));
        ed.Edit_CODE->setFocus();
        QTest::keyClick(ed.Edit_CODE, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(ed.Edit_CODE, QStringLiteral("3"));
        click(ed.Btn_In);
        click(ed.Btn_OK);
    });
    EXPECT_EQ(decoded(readStored(db.path(), 3).chart).size(), QSize(320, 240));
    EXPECT_TRUE(readStored(db.path(), 4).chart.isEmpty());
}

TEST_F(TideEditor, ANumberThatIsNoNumberIsReportedAndTheWindowStaysOpen)
{
    insertMinimal(db.dm(), 3);
    openBrowser();
    seams.clipboard.bitmapImage = tideChart(320, 240);
    editFromBrowser([&](Editor& ed) {
        ed.Edit_CODE->setFocus();
        QTest::keyClick(ed.Edit_CODE, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(ed.Edit_CODE, QStringLiteral("3a"));
        click(ed.Btn_In);
        click(ed.Btn_OK);
        ASSERT_EQ(seams.messages.errors.size(), 1);
        EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("3a")));
        EXPECT_TRUE(ed.isVisible());
        click(ed.Btn_Return);
    });
    EXPECT_TRUE(readStored(db.path(), 3).chart.isEmpty());
}

TEST_F(TideEditor, AFailedUpdateIsReportedWithItsReasonAndTheWindowCloses)
{
    // The book refuses any chart, so the update fails inside the database.
    runStatement(db.path(), QStringLiteral("alter table FISH_DATA add constraint NO_CHART check (SHIO_ZU is null)"));
    insertChartRecord(db.dm(), 6, {}, {30, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    openBrowser();
    seams.clipboard.bitmapImage = tideChart(320, 240);
    editFromBrowser([&](Editor& ed) {
        click(ed.Btn_In);
        click(ed.Btn_Time);
        click(ed.Btn_S00);
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
    });
    ASSERT_EQ(seams.messages.informed.size(), 2);
    EXPECT_EQ(seams.messages.informed[0], QStringLiteral("登録に失敗しました"));
    EXPECT_TRUE(seams.messages.informed[1].contains(QStringLiteral("NO_CHART")))
        << seams.messages.informed[1].toStdString();
    const StoredChart stored = readStored(db.path(), 6);
    EXPECT_TRUE(stored.chart.isEmpty());
    EXPECT_EQ(stored.marks[1], 60);
    // Rolled back and usable: the browser has redisplayed the record.
    EXPECT_EQ((*browser)->Edit_No->text(), QStringLiteral("6"));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(TideEditor, PasteNeedsABitmapAndSizesTheWindowForTheChart)
{
    insertMinimal(db.dm(), 1);
    openBrowser();
    editFromBrowser([&](Editor& ed) {
        EXPECT_EQ(ed.size(), QSize(700, 560)); // never smaller than this
        click(ed.Btn_In);
        EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("クリップボードに画像がありません")});
        EXPECT_TRUE(ed.Image_S->picture().isNull());

        seams.clipboard.bitmapImage = tideChart(505, 300);
        click(ed.Btn_In);
        EXPECT_EQ(ed.size(), QSize(700, 560)); // 505 + 190 is below the floor
        EXPECT_EQ(ed.Image_S->size(), QSize(505, 500));

        seams.clipboard.bitmapImage = tideChart(640, 480);
        click(ed.Btn_In);
        EXPECT_EQ(ed.size(), QSize(830, 560));
        EXPECT_EQ(ed.Btn_OK->x(), 830 - 160);

        seams.clipboard.bitmapImage = tideChart(300, 200);
        click(ed.Btn_In);
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("300 * 200"));
        EXPECT_EQ(ed.size(), QSize(830, 560));
        EXPECT_EQ(ed.Image_S->size(), QSize(640, 500));

        seams.clipboard.bitmapImage = tideChart(400, 700);
        click(ed.Btn_In);
        EXPECT_EQ(ed.size(), QSize(830, 760));
        EXPECT_EQ(ed.Image_S->size(), QSize(640, 700));
        click(ed.Btn_Return);
    });
}

TEST_F(TideEditor, ATallBitmapChartFromTheBrowserGrowsTheWindowDownwards)
{
    insertChartRecord(db.dm(), 1, bmpFile(tideChart(400, 700)), {});
    openBrowser();
    editFromBrowser([&](Editor& ed) {
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("400 * 700"));
        EXPECT_EQ(ed.size(), QSize(700, 760));
        EXPECT_EQ(ed.Image_S->geometry(), QRect(16, 16, 500, 700));
        click(ed.Btn_Return);
    });
}

TEST_F(TideEditor, WithoutARecordNumberItSaysSoAndCloses)
{
    insertMinimal(db.dm(), 1);
    openBrowser();
    (*browser)->ClearRoutine(); // the number box emptied
    bool open = true;
    seams.modal.scripts.push_back([&](QDialog& d) {
        open = d.isVisible();
        return 0;
    });
    kelpora::openModal(browser->get(), New_Shio_InF);
    EXPECT_FALSE(open);
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("コード番号取得失敗")});
}

TEST_F(TideEditor, TheBrowserKeepsItsSearchAndRecordAfterTheEditor)
{
    for (int code = 1; code <= 6; ++code)
        insertMinimal(db.dm(), code, code % 2 ? QStringLiteral("館山") : QStringLiteral("洲崎"));
    openBrowser();
    TFishdataF& b = **browser;
    // What a search for the place 洲崎 leaves behind: its own statement, on its second row.
    b.IBSQL_2->close();
    b.IBSQL_2->clearSql();
    b.IBSQL_2->addSql(QStringLiteral("select * from FISH_DATA where BASYO = :parBASYO order by CODENO"));
    b.IBSQL_2->bindText(QStringLiteral("parBASYO"), QStringLiteral("洲崎"));
    b.IBSQL_2->open();
    b.IBSQL_2->moveTo(1);
    b.DisplayRoutine();
    ASSERT_EQ(b.Edit_No->text(), QStringLiteral("4"));

    seams.clipboard.bitmapImage = tideChart(320, 240);
    editFromBrowser([&](Editor& ed) {
        click(ed.Btn_In);
        click(ed.Btn_OK);
    });
    EXPECT_EQ(b.IBSQL_2->rowCount(), 3);
    EXPECT_EQ(b.Edit_No->text(), QStringLiteral("4"));
    EXPECT_EQ(b.Image_Shio->picture().size(), QSize(320, 240));
}

// --- new-record mode ---

TEST_F(TideEditor, ForANewRecordTheChartAndAllEighteenValuesGoToTheEntryWindow)
{
    OpenWindow entry(FishDataIn, nullptr);
    entry.shown();
    entry->Image_Shio->setPicture(Picture::fromJpeg(jpegFile(tideChart(200, 100))));
    Shio_Marks.fill(7);
    Mode_Flg = kNewFlg;
    ShioZu_Flag = 1;
    seams.clipboard.bitmapImage = tideChart(640, 480);
    seams.modal.scripts.push_back([&](QDialog& d) {
        auto& ed = static_cast<Editor&>(d);
        // Always empty at opening, whatever the entry window holds.
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("新規入力"));
        EXPECT_TRUE(ed.Label_XY->text().isEmpty());
        EXPECT_TRUE(ed.Image_S->picture().isNull());
        for (Shape* s : {ed.Shape_1, ed.Shape_2, ed.Shape_3, ed.Shape_4, ed.Shape_5, ed.Shape_6})
            EXPECT_FALSE(s->isVisible());
        click(ed.Btn_In);
        click(ed.Btn_Time);
        click(ed.S_Btn_1);
        click(ed.S_Btn_1__); // catch time 3, where it waits: (56, 104)
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
        return 0;
    });
    kelpora::openModal(entry.get(), New_Shio_InF);

    const Picture handed = entry->Image_Shio->picture();
    EXPECT_EQ(handed.kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(handed.size(), QSize(640, 480));
    EXPECT_EQ(Shio_Marks, (std::array<int, 18>{0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 40, 88}));
    EXPECT_EQ(Mode_Flg, kNewFlg);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 0);
}

TEST_F(TideEditor, ReturningHandsNothingBackToTheEntryWindow)
{
    OpenWindow entry(FishDataIn, nullptr);
    entry.shown();
    Shio_Marks.fill(7);
    Mode_Flg = kNewFlg;
    seams.clipboard.bitmapImage = tideChart(300, 200);
    seams.modal.scripts.push_back([&](QDialog& d) {
        auto& ed = static_cast<Editor&>(d);
        click(ed.Btn_In);
        click(ed.Btn_Return);
        return 0;
    });
    kelpora::openModal(entry.get(), New_Shio_InF);
    EXPECT_TRUE(entry->Image_Shio->picture().isNull());
    EXPECT_EQ(Shio_Marks[0], 7);
    EXPECT_EQ(Shio_Marks[17], 7);
}
