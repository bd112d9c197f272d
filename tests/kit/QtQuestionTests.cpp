#include "core/Seams.h"
#include "kit/QtSeams.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Waits for the question box to come up, then lets `answer` act on it.
template <class F> void whenAsked(F answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no question box shown";
            return;
        }
        answer(*box);
    });
}

} // namespace

TEST(QtQuestion, OffersHaiAndIieWithIieAsTheDefaultAnswer)
{
    QtSeams seams;
    whenAsked([](QMessageBox& box) {
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい"));
        EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ"));
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_EQ(box.text(), QStringLiteral("削除しますか？"));
        QTest::keyClick(&box, Qt::Key_Return); // Enter without reading
    });
    EXPECT_FALSE(kelpora::seams::messageBoxes().confirm(QStringLiteral("削除しますか？")));

    whenAsked([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(kelpora::seams::messageBoxes().confirm(QStringLiteral("削除しますか？")));

    whenAsked([](QMessageBox& box) { QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton); });
    EXPECT_TRUE(kelpora::seams::messageBoxes().confirm(QStringLiteral("削除しますか？")));
}
