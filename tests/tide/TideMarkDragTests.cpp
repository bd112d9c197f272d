// Placing the marks with the mouse: which button and keys move or widen a band, the
// corrections at release, the pointer staying on the pressed mark, and the catch times
// that follow only a held button.
#include "TideFixtures.h"

#include "pictures/ImageArea.h"
#include "support/OpenWindow.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "tide/New_Shio_In_F.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;
using kelpora::Shape;

namespace {

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// An editor with a 500 x 400 chart, ready for marking.
class MarkDrag : public ::testing::Test {
protected:
    MarkDrag()
    {
        seams.clipboard.bitmapImage = tideChart(500, 400);
        ed.shown();
        click(ed->Btn_In);
        click(ed->Btn_Time);
    }

    // Pointer positions in the window; the events go to the shape as Qt sends them
    // while a button is held on it.
    static void press(Shape* s, Qt::MouseButton b, QPoint at) { QTest::mousePress(s, b, {}, at - s->pos()); }
    static void move(Shape* s, QPoint to) { QTest::mouseMove(s, to - s->pos()); }
    static void release(Shape* s, Qt::MouseButton b, QPoint at) { QTest::mouseRelease(s, b, {}, at - s->pos()); }

    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TNew_Shio_InF> ed{New_Shio_InF, nullptr};
};

} // namespace

TEST_F(MarkDrag, BandsAreCorrectedWhenReleasedNotWhileMoving)
{
    click(ed->S_Btn_1);
    Shape* b = ed->Shape_1;
    ASSERT_EQ(b->geometry(), QRect(16, 16, 100, 400));

    press(b, Qt::LeftButton, {50, 100});
    move(b, {44, 100});
    EXPECT_EQ(b->x(), 10);
    release(b, Qt::LeftButton, {44, 100});
    EXPECT_EQ(b->x(), 16);

    press(b, Qt::RightButton, {106, 100});
    move(b, {8, 100});
    EXPECT_EQ(b->width(), 2);
    release(b, Qt::RightButton, {8, 100});
    EXPECT_EQ(b->geometry(), QRect(16, 16, 10, 400));

    press(b, Qt::RightButton, {20, 100});
    move(b, {110, 100});
    release(b, Qt::RightButton, {110, 100});
    EXPECT_EQ(b->width(), 100);
    press(b, Qt::LeftButton, {50, 100});
    move(b, {334, 100});
    release(b, Qt::LeftButton, {334, 100});
    ASSERT_EQ(b->geometry(), QRect(300, 16, 100, 400));
    // Ending 26 px inside the chart's right edge: pulled onto it.
    press(b, Qt::RightButton, {390, 100});
    move(b, {480, 100});
    EXPECT_EQ(b->width(), 190);
    release(b, Qt::RightButton, {480, 100});
    EXPECT_EQ(b->geometry(), QRect(300, 16, 216, 400));
    EXPECT_FALSE(ed->Drag_Flg);
}

TEST_F(MarkDrag, OnlyTheLeftButtonAloneMovesAndOnlyTheRightButtonAloneWidens)
{
    click(ed->S_Btn_1);
    Shape* b = ed->Shape_1;
    QWidget* w = ed.get();
    const QRect start = b->geometry();

    pressAt(w, Qt::LeftButton, {60, 100}, Qt::ShiftModifier);
    moveTo(w, {160, 100}, Qt::ShiftModifier);
    releaseAt(w, Qt::LeftButton, {160, 100}, Qt::ShiftModifier);
    EXPECT_EQ(b->geometry(), start);

    pressAt(w, Qt::RightButton, {60, 100}, Qt::ControlModifier);
    moveTo(w, {160, 100}, Qt::ControlModifier);
    releaseAt(w, Qt::RightButton, {160, 100}, Qt::ControlModifier);
    EXPECT_EQ(b->geometry(), start);

    pressAt(w, Qt::MiddleButton, {60, 100});
    moveTo(w, {160, 100});
    releaseAt(w, Qt::MiddleButton, {160, 100});
    EXPECT_EQ(b->geometry(), start);

    // Both buttons held at once: neither rule applies.
    pressAt(w, Qt::LeftButton, {60, 100});
    pressAt(w, Qt::RightButton, {60, 100});
    moveTo(w, {160, 100});
    releaseAt(w, Qt::RightButton, {160, 100});
    releaseAt(w, Qt::LeftButton, {160, 100});
    EXPECT_EQ(b->geometry(), start);

    pressAt(w, Qt::RightButton, {60, 100});
    moveTo(w, {90, 100});
    releaseAt(w, Qt::RightButton, {90, 100});
    EXPECT_EQ(b->geometry(), QRect(16, 16, 130, 400)); // the left edge stays

    pressAt(w, Qt::LeftButton, {60, 100});
    moveTo(w, {100, 100});
    releaseAt(w, Qt::LeftButton, {100, 100});
    EXPECT_EQ(b->geometry(), QRect(56, 16, 130, 400));
}

TEST_F(MarkDrag, ABandMovesOnlyWhileItIsTheSelectedMark)
{
    click(ed->S_Btn_1);
    click(ed->S_Btn_2);
    QWidget* w = ed.get();
    pressAt(w, Qt::LeftButton, {30, 100});
    moveTo(w, {230, 100});
    releaseAt(w, Qt::LeftButton, {230, 100});
    EXPECT_EQ(ed->Shape_2->x(), 216);

    click(ed->Btn_Time); // no mark selected
    pressAt(w, Qt::LeftButton, {100, 100}); // on the fishing period
    moveTo(w, {150, 100});
    releaseAt(w, Qt::LeftButton, {150, 100});
    EXPECT_EQ(ed->Shape_1->geometry(), QRect(16, 16, 100, 400));
    EXPECT_EQ(ed->Shape_2->x(), 216);
}

TEST_F(MarkDrag, ARightButtonResizeKeepsItsBandUntilTheButtonIsUp)
{
    click(ed->S_Btn_2);
    QWidget* w = ed.get();
    pressAt(w, Qt::LeftButton, {30, 100});
    moveTo(w, {314, 100});
    releaseAt(w, Qt::LeftButton, {314, 100});
    ASSERT_EQ(ed->Shape_2->geometry(), QRect(300, 16, 80, 400));

    click(ed->S_Btn_1);
    pressAt(w, Qt::RightButton, {110, 200});
    // Straight off the band's edge and over the other band, and released there.
    moveTo(w, {320, 200});
    releaseAt(w, Qt::RightButton, {320, 200});
    EXPECT_EQ(ed->Shape_1->geometry(), QRect(16, 16, 310, 400));
    EXPECT_EQ(ed->Shape_2->geometry(), QRect(300, 16, 80, 400));
    EXPECT_FALSE(ed->Drag_Flg);
}

TEST_F(MarkDrag, ACatchTimeFollowsOnlyTheButtonThatPressedIt)
{
    click(ed->S_Btn_3__);
    Shape* c = ed->Shape_4;
    ASSERT_EQ(c->geometry(), QRect(56, 48, 17, 17));
    press(c, Qt::LeftButton, {60, 52});
    move(c, {300, 300});
    release(c, Qt::LeftButton, {300, 300});
    ASSERT_EQ(c->pos(), QPoint(296, 296));

    // A click on a band with no mark selected, then the pointer just passing over.
    click(ed->S_Btn_1);
    click(ed->Btn_Time);
    QWidget* w = ed.get();
    pressAt(w, Qt::LeftButton, {60, 100});
    releaseAt(w, Qt::LeftButton, {60, 100});
    EXPECT_FALSE(ed->Drag_Flg);
    moveTo(w, {305, 305});
    moveTo(w, {320, 330});
    QMouseEvent passing(
        QEvent::MouseMove, QPointF(9, 9), c->mapToGlobal(QPointF(9, 9)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(c, &passing);
    EXPECT_EQ(c->pos(), QPoint(296, 296));

    // Pressed with the left button, which is let go while the right one stays down.
    press(c, Qt::LeftButton, {300, 300});
    press(c, Qt::RightButton, {300, 300});
    release(c, Qt::LeftButton, {300, 300});
    move(c, {350, 350});
    EXPECT_EQ(c->pos(), QPoint(296, 296));
    release(c, Qt::RightButton, {350, 350});

    // Any button may carry it, as long as it is the one that pressed it.
    press(c, Qt::RightButton, {300, 300});
    move(c, {200, 220});
    release(c, Qt::RightButton, {200, 220});
    EXPECT_EQ(c->pos(), QPoint(196, 216));
}

TEST_F(MarkDrag, SelectingAndHidingMarks)
{
    for (QPushButton* b : {ed->S_Btn_1, ed->Btn_S00, ed->Btn_O_3})
        EXPECT_TRUE(b->isEnabled());
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->Mark_No, 2);
    EXPECT_EQ(ed->S_Btn_2->palette().color(QPalette::ButtonText), QColor(Qt::red));
    EXPECT_EQ(ed->S_Btn_1->palette().color(QPalette::ButtonText), QColor(Qt::black));
    click(ed->S_Btn_1);
    EXPECT_EQ(ed->S_Btn_2->palette().color(QPalette::ButtonText), QColor(Qt::black));
    // The selected band lies over the other one where they overlap.
    EXPECT_EQ(ed->childAt(40, 100), ed->Shape_1);
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->childAt(40, 100), ed->Shape_2);

    click(ed->Btn_S01);
    EXPECT_FALSE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("+"));
    EXPECT_EQ(ed->Mark_No, 0);
    EXPECT_EQ(ed->S_Btn_2->palette().color(QPalette::ButtonText), QColor(Qt::black));
    // Selecting it shows it again; its button keeps reading "+".
    click(ed->S_Btn_2);
    EXPECT_TRUE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("+"));
    click(ed->Btn_S01);
    EXPECT_TRUE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("-"));

    // Neither selecting nor "釣り時間の表示" moves a band that is showing.
    click(ed->S_Btn_2);
    QWidget* w = ed.get();
    pressAt(w, Qt::LeftButton, {30, 100});
    moveTo(w, {130, 100});
    releaseAt(w, Qt::LeftButton, {130, 100});
    const QRect placed = ed->Shape_2->geometry();
    ASSERT_EQ(placed, QRect(116, 16, 80, 400));
    click(ed->Btn_Time);
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->Shape_2->geometry(), placed);
}

TEST(MarkControls, WaitForAChartAndForTheFishingTimes)
{
    ScriptedSeams seams;
    TempDatabase db;
    OpenWindow<TNew_Shio_InF> ed(New_Shio_InF, nullptr);
    ed.shown();
    const auto controls = {ed->S_Btn_1, ed->S_Btn_2, ed->S_Btn_3, ed->S_Btn_1__, ed->S_Btn_2__, ed->S_Btn_3__,
        ed->Btn_S00, ed->Btn_S01, ed->Btn_S02, ed->Btn_O_1, ed->Btn_O_2, ed->Btn_O_3};
    click(ed->Btn_Time); // no chart yet: nothing
    for (QPushButton* b : controls)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(ed->Label_BB->isEnabled());

    seams.clipboard.bitmapImage = tideChart(300, 200);
    click(ed->Btn_In);
    click(ed->Btn_Time);
    for (QPushButton* b : controls)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(ed->Label_BB->isEnabled());
    EXPECT_EQ(ed->Shape_2->geometry(), QRect(16, 16, 80, 200));
    EXPECT_FALSE(ed->Shape_2->isVisible());

    ed->SetMarkControls(QStringLiteral("on"));
    EXPECT_FALSE(ed->S_Btn_1->isEnabled());
    EXPECT_FALSE(ed->Label_A->isEnabled());
}
