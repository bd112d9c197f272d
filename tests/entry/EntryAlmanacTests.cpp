#include "EntryFixture.h"

#include <QComboBox>
#include <QPushButton>

using namespace kelpora::testing;

namespace {

class EntryAlmanac : public EntryFixture {
protected:
    // The date typed afresh and accepted with Enter, as the user corrects it.
    void enterDate(const QString& date)
    {
        w->Edit_Day->setFocus(Qt::MouseFocusReason);
        retype(w->Edit_Day, date);
        QTest::keyClick(w->Edit_Day, Qt::Key_Return);
    }

    QString tide() const { return w->CBox_Shio->currentText(); }
    QString lunarDate() const { return w->Edit_Old_Day->text(); }
};

} // namespace

TEST_F(EntryAlmanac, EnterOnTheDateFillsTheEmptyTideAndLunarDate)
{
    EXPECT_EQ(tide(), QString());
    EXPECT_EQ(lunarDate(), QString());
    enterDate(QStringLiteral("2024/4/9"));
    EXPECT_EQ(focused(), QStringLiteral("Edit_Tenki"));
    EXPECT_EQ(tide(), QStringLiteral("大潮"));
    EXPECT_EQ(lunarDate(), QStringLiteral("3/1"));

    // A corrected date brings its own values in place of the computed ones.
    enterDate(QStringLiteral("2025/07/25"));
    EXPECT_EQ(lunarDate(), QStringLiteral("閏6/1"));
    enterDate(QStringLiteral("2024/04/17"));
    EXPECT_EQ(tide(), QStringLiteral("小潮"));
    EXPECT_EQ(lunarDate(), QStringLiteral("3/9"));

    // The erase button empties them, and the next date fills them again.
    QTest::mouseClick(w->Btn_New_No, Qt::LeftButton);
    EXPECT_EQ(tide(), QString());
    EXPECT_EQ(lunarDate(), QString());
    enterDate(QStringLiteral("2024/04/10"));
    EXPECT_EQ(lunarDate(), QStringLiteral("3/2"));
}

TEST_F(EntryAlmanac, WhatTheUserTypedOrPickedStays)
{
    typeText(w->CBox_Shio->lineEdit(), QStringLiteral("中潮"));
    enterDate(QStringLiteral("2024/04/09"));
    EXPECT_EQ(tide(), QStringLiteral("中潮"));
    EXPECT_EQ(lunarDate(), QStringLiteral("3/1"));

    // Overwriting a computed value makes it the user's: the same text typed again, or
    // the same name picked from the list, is not replaced by the next date's.
    QTest::mouseClick(w->Btn_New_No, Qt::LeftButton);
    enterDate(QStringLiteral("2024/04/09"));
    ASSERT_EQ(tide(), QStringLiteral("大潮"));
    retype(w->Edit_Old_Day, QStringLiteral("3/1"));
    w->CBox_Shio->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w->CBox_Shio, Qt::Key_Down);
    QTest::keyClick(w->CBox_Shio, Qt::Key_Down);
    ASSERT_EQ(tide(), QStringLiteral("大潮"));
    enterDate(QStringLiteral("2024/04/17"));
    EXPECT_EQ(tide(), QStringLiteral("大潮"));
    EXPECT_EQ(lunarDate(), QStringLiteral("3/1"));
}
