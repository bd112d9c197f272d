// The tide chart editor opened from the browser (a stored record) and from the entry
// window (a new record): what it shows, and what "登　録" stores or hands back.
#include "TideFixtures.h"

#include "browser/Fishdata_F.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "entry/Fish_Data_IN.h"
#include "imaging/PictureStore.h"
#include "kit/ImageArea.h"
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

using namespace kelpora::testing;
using kelpora::Picture;
using kelpora::Shape;
using Editor = TNew_Shio_InF;

namespace {

// clang-format off
const QString kUpdateSql = QStringLiteral(" update FISH_DATA set                SHIO_ZU     = :parSHIO_ZU         , NEW_1_S = :parNEW_1_S , NEW_1_E = :parNEW_1_E , NEW_2_S = :parNEW_2_S , NEW_2_E = :parNEW_2_E , NEW_3_S = :parNEW_3_S , NEW_3_E = :parNEW_3_E , NEW_4_S = :parNEW_4_S , NEW_4_E = :parNEW_4_E , NEW_5_S = :parNEW_5_S , NEW_5_E = :parNEW_5_E , NEW_6_S = :parNEW_6_S , NEW_6_E = :parNEW_6_E   where CODENO = :parCODE ");
// clang-format on

QRect band(int s, int e, int height)
{
    return {16 + s, 16, e, height};
}

QRect circle(int s, int e)
{
    return {16 + s, 16 + e, 17, 17};
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// A drag on one mark with pointer positions in the window, delivered to the mark as Qt
// does while a button is held on it.
void drag(Shape* shape, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(shape, button, {}, from - shape->pos());
    QTest::mouseMove(shape, to - shape->pos());
    QTest::mouseRelease(shape, button, {}, to - shape->pos());
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

QSize jpegSize(const QByteArray& bytes)
{
    return kelpora::PictureStore::fromBytes(bytes, kelpora::ReadRule::JpegOnly).size();
}

class TideEditor : public ::testing::Test {
protected:
    // The browser's "潮位" button, with the editor driven by `drive` while it is open.
    void edit(std::function<void(Editor&)> drive)
    {
        browser.shown();
        seams.modal.scripts.push_back([drive](QDialog& d) {
            drive(static_cast<Editor&>(d));
            return 0;
        });
        click(browser->But_Cyoui);
    }

    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TFishdataF> browser{FishdataF, nullptr};
};

} // namespace

TEST_F(TideEditor, StoredMarksOpenWhereTheyWereAndGoBackUntouched)
{
    // Only 0 and 0 means no mark: feeding periods without a fishing period, a band flush
    // with the chart's left edge, a band stored with a negative width, catch times left
    // of the chart and on its top edge are all marks.
    QByteArray chart;
    QBuffer buffer(&chart);
    buffer.open(QIODevice::WriteOnly);
    tideChart(600, 400).save(&buffer, "JPEG", 40);
    const Marks marks{0, 0, 0, 120, 150, -5, -8, 40, 0, 25, 470, 350};
    insertChartRecord(db.dm(), 4, chart, marks);
    Mode_Flg = kNewFlg;
    edit([&](Editor& ed) {
        EXPECT_EQ(Mode_Flg, kOldFlg);
        EXPECT_EQ(ed.windowTitle(), QStringLiteral("潮位 New"));
        EXPECT_EQ(ed.size(), QSize(600 + 190, 560)); // wider than 500: widened; the height floor
        EXPECT_EQ(ed.Image_S->geometry(), QRect(16, 16, 600, 500));
        EXPECT_EQ(ed.Btn_Return->geometry(), QRect(ed.width() - 160, 16, 153, 32)); // kept from the right
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("4"));
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("jpg"));
        EXPECT_FALSE(ed.S_Btn_1->isEnabled());

        EXPECT_FALSE(ed.Shape_1->isVisible());
        EXPECT_EQ(ed.Shape_2->geometry(), band(0, 120, 400));
        EXPECT_EQ(ed.Shape_3->geometry(), band(150, 0, 400));
        EXPECT_EQ(ed.Shape_4->geometry(), circle(-8, 40));
        EXPECT_EQ(ed.Shape_5->geometry(), circle(0, 25));
        EXPECT_EQ(ed.Shape_6->geometry(), circle(470, 350));
        for (Shape* s : {ed.Shape_2, ed.Shape_3, ed.Shape_4, ed.Shape_5, ed.Shape_6})
            EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
        QTest::mouseClick(ed.Shape_4, Qt::LeftButton, {}, {8, 8}); // a click moves nothing
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
    });
    const StoredChart stored = readStored(db.path(), 4);
    EXPECT_EQ(stored.marks, marks);
    EXPECT_NE(stored.chart, chart); // always encoded afresh
    EXPECT_EQ(jpegSize(stored.chart), QSize(600, 400));
}

TEST_F(TideEditor, APastedChartMarkedWithTheMouseIsStoredWithItsMarks)
{
    for (int code = 1; code <= 6; ++code)
        insertMinimal(db.dm(), code, code % 2 ? QStringLiteral("館山") : QStringLiteral("洲崎"));
    browser.shown();
    // What a search for 洲崎 leaves behind: its own statement, here on its second row.
    kelpora::SqlQuery& rows = *browser->IBSQL_2;
    rows.close();
    rows.clearSql();
    rows.addSql(QStringLiteral("select * from FISH_DATA where BASYO = :parBASYO order by CODENO"));
    rows.bindText(QStringLiteral("parBASYO"), QStringLiteral("洲崎"));
    rows.open();
    rows.moveTo(1);
    browser->DisplayRoutine();

    seams.clipboard.bitmapImage = tideChart(640, 480);
    edit([&](Editor& ed) {
        EXPECT_EQ(ed.Edit_CODE->text(), QStringLiteral("4"));
        click(ed.Btn_In);
        EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("640 * 480"));
        click(ed.Btn_Time);
        click(ed.S_Btn_1);
        EXPECT_EQ(ed.Shape_1->geometry(), band(0, 100, 480));
        drag(ed.Shape_1, Qt::LeftButton, {50, 200}, {150, 200}); // 100 to the right
        drag(ed.Shape_1, Qt::RightButton, {200, 200}, {260, 200}); // 60 wider
        click(ed.S_Btn_2);
        drag(ed.Shape_2, Qt::LeftButton, {30, 100}, {330, 100});
        click(ed.S_Btn_3__);
        drag(ed.Shape_4, Qt::LeftButton, {60, 52}, {300, 250});
        click(ed.S_Btn_2__);
        click(ed.Btn_O_2); // shown, then hidden again
        click(ed.Btn_OK);
        EXPECT_EQ(ed.IBSQL_UP->sqlText(), kUpdateSql);
    });
    const StoredChart stored = readStored(db.path(), 4);
    EXPECT_EQ(stored.marks, (Marks{100, 160, 300, 80, 0, 0, 280, 230, 0, 0, 0, 0}));
    EXPECT_EQ(jpegSize(stored.chart), QSize(640, 480));
    // The browser is back on the same record of the same search, showing the new chart.
    EXPECT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(browser->Edit_No->text(), QStringLiteral("4"));
    EXPECT_EQ(browser->Image_Shio->picture().size(), QSize(640, 480));
    EXPECT_TRUE(seams.messages.informed.isEmpty());
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(TideEditor, WithoutAPictureNothingIsStoredAndATypedNumberIsTheRecordWritten)
{
    insertMinimal(db.dm(), 3);
    const QByteArray chart = jpegFile(tideChart(300, 200));
    insertChartRecord(db.dm(), 4, chart, {10, 50, 0, 0, 0, 0, 20, 20, 0, 0, 0, 0});
    edit([&](Editor& ed) {
        click(ed.Btn_Clear);
        EXPECT_TRUE(ed.Image_S->picture().isNull());
        EXPECT_TRUE(ed.Label_XY->text().isEmpty());
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
    });
    EXPECT_EQ(readStored(db.path(), 4).chart, chart);
    EXPECT_EQ(readStored(db.path(), 4).marks[1], 50);

    edit([&](Editor& ed) {
        retype(ed.Edit_CODE, QStringLiteral("3"));
        click(ed.Btn_OK);
    });
    EXPECT_EQ(jpegSize(readStored(db.path(), 3).chart), QSize(300, 200));
    EXPECT_EQ(readStored(db.path(), 3).marks, (Marks{10, 50, 0, 0, 0, 0, 20, 20, 0, 0, 0, 0}));
}

TEST_F(TideEditor, AWrongNumberKeepsTheWindowOpenAndAFailedUpdateSaysWhy)
{
    // The book refuses every chart, so the update fails inside the database.
    runStatement(db.path(), QStringLiteral("alter table FISH_DATA add constraint NO_CHART check (SHIO_ZU is null)"));
    insertChartRecord(db.dm(), 6, {}, {30, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    seams.clipboard.bitmapImage = tideChart(320, 240);
    edit([&](Editor& ed) {
        click(ed.Btn_In);
        retype(ed.Edit_CODE, QStringLiteral("6a"));
        click(ed.Btn_OK);
        ASSERT_EQ(seams.messages.errors.size(), 1);
        EXPECT_TRUE(seams.messages.errors[0].contains(QStringLiteral("6a")));
        EXPECT_TRUE(ed.isVisible());

        retype(ed.Edit_CODE, QStringLiteral("6"));
        click(ed.Btn_OK);
        EXPECT_FALSE(ed.isVisible());
    });
    ASSERT_EQ(seams.messages.informed.size(), 2);
    EXPECT_EQ(seams.messages.informed[0], QStringLiteral("登録に失敗しました"));
    EXPECT_TRUE(seams.messages.informed[1].contains(QStringLiteral("NO_CHART")));
    EXPECT_TRUE(readStored(db.path(), 6).chart.isEmpty());
    EXPECT_EQ(browser->Edit_No->text(), QStringLiteral("6")); // rolled back and still usable
    EXPECT_EQ(seams.messages.errors.size(), 1);
}

TEST_F(TideEditor, ThePasteNeedsABitmapAndTheWindowGrowsForLargeCharts)
{
    insertMinimal(db.dm(), 1);
    edit([&](Editor& ed) {
        EXPECT_EQ(ed.size(), QSize(700, 560)); // never smaller
        click(ed.Btn_In);
        EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("クリップボードに画像がありません")});
        const struct {
            QSize chart, window, area;
        } steps[] = {
            {{505, 300}, {700, 560}, {505, 500}},
            {{640, 480}, {830, 560}, {640, 500}},
            {{300, 200}, {830, 560}, {640, 500}},
            {{400, 700}, {830, 760}, {640, 700}},
        };
        for (const auto& step : steps) {
            seams.clipboard.bitmapImage = tideChart(step.chart.width(), step.chart.height());
            click(ed.Btn_In);
            EXPECT_EQ(ed.Label_XY->text(), QStringLiteral("%1 * %2").arg(step.chart.width()).arg(step.chart.height()));
            EXPECT_EQ(ed.size(), step.window);
            EXPECT_EQ(ed.Image_S->size(), step.area);
        }
        EXPECT_EQ(ed.Btn_OK->x(), 830 - 160);
        click(ed.Btn_Return);
    });
    EXPECT_TRUE(readStored(db.path(), 1).chart.isEmpty());
}

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
        EXPECT_TRUE(ed.Image_S->picture().isNull());
        EXPECT_FALSE(ed.Shape_1->isVisible());
        click(ed.Btn_Time); // nothing to mark yet
        EXPECT_FALSE(ed.S_Btn_1->isEnabled());
        click(ed.Btn_In);
        click(ed.Btn_Time);
        EXPECT_TRUE(ed.Btn_O_3->isEnabled());
        click(ed.S_Btn_1);
        click(ed.S_Btn_1__); // catch time 3, where it waits: (56, 104)
        click(ed.Btn_OK);
        return 0;
    });
    kelpora::openModal(entry.get(), New_Shio_InF);

    EXPECT_EQ(entry->Image_Shio->picture().kind(), Picture::Kind::Jpeg);
    EXPECT_EQ(entry->Image_Shio->picture().size(), QSize(640, 480));
    EXPECT_EQ(Shio_Marks, (std::array<int, 18>{0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 40, 88}));
    EXPECT_EQ(Mode_Flg, kNewFlg);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 0);
}
