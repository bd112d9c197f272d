// Placing the marks with the mouse: which button and keys move or widen a band, the
// corrections at release, the pointer staying on the pressed mark, and catch times
// that follow only the button holding them.
#include "TideFixtures.h"

#include "support/OpenWindow.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "tide/New_Shio_In_F.h"

#include <QApplication>
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

// An editor with a 500 x 400 chart, ready for marking. Pointer positions are in the
// window; press/move/release go to the shape as Qt sends them while a button is held.
class MarkDrag : public ::testing::Test {
protected:
    MarkDrag()
    {
        seams.clipboard.bitmapImage = tideChart(500, 400);
        ed.shown();
        click(ed->Btn_In);
        click(ed->Btn_Time);
    }

    static void press(Shape* s, Qt::MouseButton b, QPoint at) { QTest::mousePress(s, b, {}, at - s->pos()); }
    static void move(Shape* s, QPoint to) { QTest::mouseMove(s, to - s->pos()); }
    static void release(Shape* s, Qt::MouseButton b, QPoint at) { QTest::mouseRelease(s, b, {}, at - s->pos()); }
    // The same through the window, with keys held all the way.
    void windowDrag(Qt::MouseButton b, QPoint from, QPoint to, Qt::KeyboardModifiers keys = {})
    {
        pressAt(ed.get(), b, from, keys);
        moveTo(ed.get(), to, keys);
        releaseAt(ed.get(), b, to, keys);
    }

    ScriptedSeams seams;
    TempDatabase db;
    kelpora::testing::OpenWindow<TNew_Shio_InF> ed{New_Shio_InF, nullptr};
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

    windowDrag(Qt::RightButton, {20, 100}, {110, 100});
    windowDrag(Qt::LeftButton, {50, 100}, {334, 100});
    ASSERT_EQ(b->geometry(), QRect(300, 16, 100, 400));
    // Released 26 px inside the chart's right edge: pulled onto it.
    press(b, Qt::RightButton, {390, 100});
    move(b, {480, 100});
    EXPECT_EQ(b->width(), 190);
    release(b, Qt::RightButton, {480, 100});
    EXPECT_EQ(b->geometry(), QRect(300, 16, 216, 400));
}

TEST_F(MarkDrag, OnlyTheLeftButtonAloneMovesAndOnlyTheRightButtonAloneWidens)
{
    click(ed->S_Btn_1);
    const QRect start = ed->Shape_1->geometry();
    windowDrag(Qt::LeftButton, {60, 100}, {160, 100}, Qt::ShiftModifier);
    windowDrag(Qt::RightButton, {60, 100}, {160, 100}, Qt::ControlModifier);
    windowDrag(Qt::MiddleButton, {60, 100}, {160, 100});
    pressAt(ed.get(), Qt::LeftButton, {60, 100});
    windowDrag(Qt::RightButton, {60, 100}, {160, 100}); // both buttons held
    releaseAt(ed.get(), Qt::LeftButton, {160, 100});
    EXPECT_EQ(ed->Shape_1->geometry(), start);

    windowDrag(Qt::RightButton, {60, 100}, {90, 100});
    EXPECT_EQ(ed->Shape_1->geometry(), QRect(16, 16, 130, 400)); // the left edge stays
    windowDrag(Qt::LeftButton, {60, 100}, {100, 100});
    EXPECT_EQ(ed->Shape_1->geometry(), QRect(56, 16, 130, 400)); // the width stays

    click(ed->Btn_Time); // no mark selected: bands stay put
    windowDrag(Qt::LeftButton, {100, 100}, {200, 100});
    EXPECT_EQ(ed->Shape_1->x(), 56);
}

TEST_F(MarkDrag, ARightButtonResizeKeepsItsBandUntilTheButtonIsUp)
{
    click(ed->S_Btn_2);
    windowDrag(Qt::LeftButton, {30, 100}, {314, 100});
    ASSERT_EQ(ed->Shape_2->geometry(), QRect(300, 16, 80, 400));
    click(ed->S_Btn_1);
    // Straight off the band's edge and over the other band, and let go there.
    windowDrag(Qt::RightButton, {110, 200}, {320, 200});
    EXPECT_EQ(ed->Shape_1->geometry(), QRect(16, 16, 310, 400));
    EXPECT_EQ(ed->Shape_2->geometry(), QRect(300, 16, 80, 400));
    EXPECT_FALSE(ed->Drag_Flg);
}

TEST_F(MarkDrag, ACatchTimeFollowsOnlyTheButtonThatPressedIt)
{
    click(ed->S_Btn_3__);
    Shape* c = ed->Shape_4;
    windowDrag(Qt::LeftButton, {60, 52}, {300, 300});
    ASSERT_EQ(c->geometry(), QRect(296, 296, 17, 17));

    // A click on a band with no mark selected, then the pointer merely passing over.
    click(ed->S_Btn_1);
    click(ed->Btn_Time);
    windowDrag(Qt::LeftButton, {60, 100}, {60, 100});
    moveTo(ed.get(), {305, 305});
    QMouseEvent passing(
        QEvent::MouseMove, QPointF(9, 9), c->mapToGlobal(QPointF(9, 9)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(c, &passing);
    EXPECT_EQ(c->pos(), QPoint(296, 296));

    // Pressed with the left button, which is let go while the right one stays down.
    press(c, Qt::LeftButton, {300, 300});
    press(c, Qt::RightButton, {300, 300});
    release(c, Qt::LeftButton, {300, 300});
    move(c, {350, 350});
    release(c, Qt::RightButton, {350, 350});
    EXPECT_EQ(c->pos(), QPoint(296, 296));

    windowDrag(Qt::RightButton, {300, 300}, {200, 220}); // any button that pressed it
    EXPECT_EQ(c->pos(), QPoint(196, 216));
}

TEST_F(MarkDrag, SelectingAndHidingMarks)
{
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->Mark_No, 2);
    EXPECT_EQ(ed->S_Btn_2->palette().color(QPalette::ButtonText), QColor(Qt::red));
    click(ed->S_Btn_1);
    EXPECT_EQ(ed->S_Btn_2->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(ed->childAt(40, 100), ed->Shape_1); // the selected band lies in front
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->childAt(40, 100), ed->Shape_2);

    click(ed->Btn_S01);
    EXPECT_FALSE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("+"));
    EXPECT_EQ(ed->Mark_No, 0);
    click(ed->S_Btn_2); // shown again, its button still reading "+"
    EXPECT_TRUE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("+"));
    click(ed->Btn_S01);
    EXPECT_TRUE(ed->Shape_2->isVisible());
    EXPECT_EQ(ed->Btn_S01->text(), QStringLiteral("-"));

    // Neither selecting nor "釣り時間の表示" moves a band that is showing.
    click(ed->S_Btn_2);
    windowDrag(Qt::LeftButton, {30, 100}, {130, 100});
    click(ed->Btn_Time);
    click(ed->S_Btn_2);
    EXPECT_EQ(ed->Shape_2->geometry(), QRect(116, 16, 80, 400));
}
