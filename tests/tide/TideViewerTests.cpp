// The tide chart viewer, opened by a double-click on the browser's chart.
#include "TideFixtures.h"

#include "browser/Fishdata_F.h"
#include "core/SqlQuery.h"
#include "kit/ImageArea.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "tide/Shape.h"
#include "tide/Shio_New_F.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kelpora::testing;
using kelpora::Picture;
using kelpora::Shape;
using Viewer = TShio_NewF;

namespace {

// clang-format off
const QString kReadSql = QStringLiteral(" select SHIO_ZU,NEW_1_S,NEW_1_E,NEW_2_S,NEW_2_E,NEW_3_S,NEW_3_E,NEW_4_S,NEW_4_E,NEW_5_S,NEW_5_E,NEW_6_S,NEW_6_E  from FISH_DATA where CODENO = :parCODE ");
// clang-format on

class TideViewer : public ::testing::Test {
protected:
    // Double-clicks the browser's chart; true when the viewer opened.
    bool view(std::function<void(Viewer&)> look)
    {
        browser.shown();
        const qsizetype before = seams.modal.opened.size();
        seams.modal.scripts.push_back([look](QDialog& d) {
            auto& v = static_cast<Viewer&>(d);
            look(v);
            QTest::mouseClick(v.Button1, Qt::LeftButton);
            EXPECT_FALSE(v.isVisible());
            return 0;
        });
        QTest::mouseDClick(browser->Image_Shio, Qt::LeftButton);
        QTest::mouseRelease(browser->Image_Shio, Qt::LeftButton);
        if (seams.modal.opened.size() > before)
            return true;
        seams.modal.scripts.pop_back();
        return false;
    }

    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TFishdataF> browser{FishdataF, nullptr};
};

} // namespace

TEST_F(TideViewer, DrawsEachMarkWhereItsValuesPutItAndOnlyZeroAndZeroIsNone)
{
    // No fishing period; feeding periods from the chart's left edge and from 1; catch
    // times left of the chart, on its top edge, and inside it.
    const Marks marks{0, 0, 0, 120, 1, 40, -8, 40, 0, 25, 330, 20};
    insertChartRecord(db.dm(), 1, bmpFile(tideChart(480, 360)), marks);
    EXPECT_TRUE(view([&](Viewer& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("潮位"));
        EXPECT_EQ(v.size(), QSize(550, 600));
        EXPECT_EQ(v.Panel1->geometry(), QRect(0, 0, 550, 41));
        EXPECT_EQ(v.Label1->text(), QStringLiteral("潮位の詳細表示"));
        EXPECT_EQ(v.Button1->geometry(), QRect(550 - 20 - 177, 8, 177, 25));
        EXPECT_EQ(v.Image_SS->geometry(), QRect(16, 52, 480, 360));
        EXPECT_EQ(v.Image_SS->picture().kind(), Picture::Kind::Bitmap);
        EXPECT_EQ(v.IBSQL->sqlText(), kReadSql);

        EXPECT_FALSE(v.Shape1->isVisible());
        EXPECT_EQ(v.Shape2->geometry(), QRect(16, 52, 120, 360));
        EXPECT_EQ(v.Shape3->geometry(), QRect(17, 52, 40, 360));
        EXPECT_EQ(v.Shape4->geometry(), QRect(8, 92, 17, 17));
        EXPECT_EQ(v.Shape5->geometry(), QRect(16, 77, 17, 17));
        EXPECT_EQ(v.Shape6->geometry(), QRect(346, 72, 17, 17));
        for (Shape* s : {v.Shape2, v.Shape3, v.Shape4, v.Shape5, v.Shape6})
            EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
        // The feeding periods' hatches lean the other way from the editor's.
        EXPECT_EQ(v.Shape2->look().hatch, Shape::Hatch::Falling);
        EXPECT_EQ(v.Shape3->look().hatch, Shape::Hatch::Rising);
    }));
    EXPECT_EQ(Shio_NewF, nullptr);
    EXPECT_EQ(readStored(db.path(), 1).marks, marks); // nothing changed
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(TideViewer, OpensForAChartOnlyAndWidensForAWideOne)
{
    insertMinimal(db.dm(), 1);
    insertChartRecord(db.dm(), 2, jpegFile(tideChart(800, 300)), {10, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    insertChartRecord(db.dm(), 3, bmpFile(tideChart(500, 700)), {});
    browser.shown();
    browser->Btn_First->click();
    EXPECT_FALSE(view([](Viewer&) { ADD_FAILURE() << "opened without a chart"; }));

    browser->Btn_Next->click();
    EXPECT_TRUE(view([](Viewer& v) {
        EXPECT_EQ(v.size(), QSize(840, 600));
        EXPECT_EQ(v.Image_SS->size(), QSize(800, 300));
        EXPECT_EQ(v.Image_SS->picture().kind(), Picture::Kind::Jpeg);
        EXPECT_EQ(v.Button1->x(), 840 - 20 - 177);
        EXPECT_EQ(v.Shape1->geometry(), QRect(26, 52, 50, 300));
    }));
    browser->Btn_Next->click();
    EXPECT_TRUE(view([](Viewer& v) {
        EXPECT_EQ(v.size(), QSize(550, 600)); // a tall chart is cut off, not made room for
        EXPECT_EQ(v.Image_SS->size(), QSize(500, 700));
    }));
}
