// The tide chart viewer, opened by a double-click on the browser's chart.
#include "TideFixtures.h"

#include "browser/Fishdata_F.h"
#include "core/SqlQuery.h"
#include "pictures/ImageArea.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "tide/Shape.h"
#include "tide/Shio_New_F.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kelpora::testing;
using kelpora::Picture;
using kelpora::Shape;
using Viewer = TShio_NewF;

namespace {

// The statements exactly as they must be sent.
// clang-format off
const QString kReadSql = QStringLiteral(" select SHIO_ZU,NEW_1_S,NEW_1_E,NEW_2_S,NEW_2_E,NEW_3_S,NEW_3_E,NEW_4_S,NEW_4_E,NEW_5_S,NEW_5_E,NEW_6_S,NEW_6_E  from FISH_DATA where CODENO = :parCODE ");
// clang-format on

QRect band(int s, int e, int height)
{
    return QRect(16 + s, 52, e, height);
}

QRect circle(int s, int e)
{
    return QRect(16 + s, 52 + e, 17, 17);
}

class TideViewer : public ::testing::Test {
protected:
    // Shows the browser (once) and double-clicks its chart; true when the viewer opened.
    bool view(std::function<void(Viewer&)> look)
    {
        const qsizetype before = seams.modal.opened.size();
        seams.modal.scripts.push_back([look](QDialog& d) {
            auto& v = static_cast<Viewer&>(d);
            look(v);
            QTest::mouseClick(v.Button1, Qt::LeftButton);
            EXPECT_FALSE(v.isVisible());
            return 0;
        });
        browser.shown();
        QTest::mouseDClick(browser->Image_Shio, Qt::LeftButton);
        QTest::mouseRelease(browser->Image_Shio, Qt::LeftButton); // let go of the double-click
        const bool opened = seams.modal.opened.size() > before;
        if (!opened)
            seams.modal.scripts.pop_back();
        return opened;
    }

    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TFishdataF> browser{FishdataF, nullptr};
};

} // namespace

TEST_F(TideViewer, DrawsEveryMarkWhereItsValuesPutIt)
{
    const Marks marks{40, 100, 60, 30, 200, 50, 100, 50, 210, 120, 330, 20};
    insertChartRecord(db.dm(), 1, jpegFile(tideChart(480, 360)), marks);
    const bool opened = view([&](Viewer& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("潮位"));
        EXPECT_EQ(v.size(), QSize(550, 600));
        EXPECT_EQ(v.Panel1->geometry(), QRect(0, 0, 550, 41));
        EXPECT_EQ(v.Label1->text(), QStringLiteral("潮位の詳細表示"));
        EXPECT_EQ(v.Label1->pos(), QPoint(24, 15));
        EXPECT_EQ(v.Button1->text(), QStringLiteral("戻　る"));
        EXPECT_EQ(v.Button1->geometry(), QRect(550 - 20 - 177, 8, 177, 25));
        EXPECT_EQ(v.Image_SS->geometry(), QRect(16, 52, 480, 360));
        EXPECT_EQ(v.IBSQL->sqlText(), kReadSql);

        EXPECT_EQ(v.Shape1->geometry(), band(40, 100, 360));
        EXPECT_EQ(v.Shape2->geometry(), band(60, 30, 360));
        EXPECT_EQ(v.Shape3->geometry(), band(200, 50, 360));
        EXPECT_EQ(v.Shape4->geometry(), circle(100, 50));
        EXPECT_EQ(v.Shape5->geometry(), circle(210, 120));
        EXPECT_EQ(v.Shape6->geometry(), circle(330, 20));
        for (Shape* s : {v.Shape1, v.Shape2, v.Shape3, v.Shape4, v.Shape5, v.Shape6})
            EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
        // The feeding periods' hatches lean the other way from the editor's.
        EXPECT_EQ(v.Shape2->look().hatch, Shape::Hatch::Falling);
        EXPECT_EQ(v.Shape3->look().hatch, Shape::Hatch::Rising);
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(Shio_NewF, nullptr);
    // Nothing changed anywhere.
    EXPECT_EQ(readStored(db.path(), 1).marks, marks);
    EXPECT_EQ(browser->Edit_No->text(), QStringLiteral("1"));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(TideViewer, MarksFlushWithTheEdgeOrOutsideTheChartAreShownAndOnlyZeroAndZeroIsNone)
{
    // No fishing period; a feeding period starting at the chart's left edge, one at 1;
    // catch times left of the chart and on its top edge.
    const Marks marks{0, 0, 0, 120, 1, 40, -8, 40, 0, 25, 0, 0};
    insertChartRecord(db.dm(), 1, bmpFile(tideChart(400, 300)), marks);
    view([&](Viewer& v) {
        EXPECT_FALSE(v.Shape1->isVisible());
        EXPECT_TRUE(v.Shape2->isVisible());
        EXPECT_EQ(v.Shape2->geometry(), band(0, 120, 300));
        EXPECT_TRUE(v.Shape3->isVisible());
        EXPECT_EQ(v.Shape3->geometry(), band(1, 40, 300));
        EXPECT_TRUE(v.Shape4->isVisible());
        EXPECT_EQ(v.Shape4->geometry(), circle(-8, 40));
        EXPECT_TRUE(v.Shape5->isVisible());
        EXPECT_EQ(v.Shape5->geometry(), circle(0, 25));
        EXPECT_FALSE(v.Shape6->isVisible());
        EXPECT_EQ(v.Image_SS->picture().kind(), Picture::Kind::Bitmap);
    });
}

TEST_F(TideViewer, AWideChartWidensTheWindowAndANarrowOneLeavesIt)
{
    insertChartRecord(db.dm(), 1, jpegFile(tideChart(800, 300)), {10, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    insertChartRecord(db.dm(), 2, bmpFile(tideChart(500, 700)), {});
    browser.shown();
    browser->Btn_First->click();
    view([&](Viewer& v) {
        EXPECT_EQ(v.size(), QSize(840, 600));
        EXPECT_EQ(v.Image_SS->size(), QSize(800, 300));
        EXPECT_EQ(v.Image_SS->picture().kind(), Picture::Kind::Jpeg);
        EXPECT_EQ(v.Button1->x(), 840 - 20 - 177);
        EXPECT_EQ(v.Panel1->width(), 840);
    });
    browser->Btn_Last->click();
    view([&](Viewer& v) {
        EXPECT_EQ(v.size(), QSize(550, 600)); // a tall chart is cut off, not made room for
        EXPECT_EQ(v.Image_SS->size(), QSize(500, 700));
    });
}

TEST_F(TideViewer, OpensOnlyForARecordWithAChart)
{
    insertChartRecord(db.dm(), 1, jpegFile(tideChart(300, 200)), {});
    insertMinimal(db.dm(), 2);
    EXPECT_FALSE(view([](Viewer&) { ADD_FAILURE() << "opened without a chart"; }));
    browser->Btn_First->click();
    EXPECT_TRUE(view([](Viewer& v) { EXPECT_EQ(v.Image_SS->size(), QSize(300, 200)); }));
}
