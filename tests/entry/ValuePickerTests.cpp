#include "core/SharedState.h"
#include "entry/Data_Sel_F.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kelpora::testing;

namespace {

QVariant nullValue()
{
    return QVariant();
}

class Picker : public ::testing::Test {
protected:
    void record(int code, const QVariant& place, const QVariant& point, const QVariant& fish1, const QVariant& fish2,
        const QVariant& fish3)
    {
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), code}, {QStringLiteral("BASYO"), place}, {QStringLiteral("FUNE"), point},
                {QStringLiteral("FISH1"), fish1}, {QStringLiteral("FISH2"), fish2}, {QStringLiteral("FISH3"), fish3}});
    }

    // The picker as it opens for `kind`.
    TData_Sel& open(const QString& kind)
    {
        Sel_Kind = kind;
        window.emplace(Data_Sel, nullptr);
        return window->shown();
    }

    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < Data_Sel->ListBox1->count(); ++i)
            out << Data_Sel->ListBox1->item(i)->text();
        return out;
    }

    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<OpenWindow<TData_Sel>> window;
};

} // namespace

TEST_F(Picker, ListsEveryStoredValueOnceWithoutTheNulls)
{
    const QString none;
    record(1, QStringLiteral("館山"), QStringLiteral("沖堤"), QStringLiteral("アジ"), none, none);
    record(2, QStringLiteral("富津"), none, QStringLiteral("シーバス"), QStringLiteral("アジ"), none);
    record(3, QStringLiteral("館山"), nullValue(), QStringLiteral("サバ"), nullValue(), nullValue());
    record(4, nullValue(), QStringLiteral("沖堤"), QStringLiteral("アジ"), QStringLiteral("イナダ"), nullValue());

    TData_Sel& places = open(QStringLiteral("BASYO"));
    EXPECT_EQ(places.windowTitle(), QStringLiteral("場所の選択"));
    EXPECT_EQ(places.size(), QSize(341, 296));
    EXPECT_EQ(places.minimumSize(), places.maximumSize());
    EXPECT_FALSE(places.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(places.Label1->text(), QStringLiteral("上記に無い場合には新規に入力します"));
    EXPECT_EQ(places.Button2->text(), QStringLiteral("選　択"));
    EXPECT_EQ(places.Button1->text(), QStringLiteral("選択せずに戻る"));
    EXPECT_EQ(sorted(items()), sorted({QStringLiteral("館山"), QStringLiteral("富津")}));
    EXPECT_EQ(places.ListBox1->currentRow(), 0);
    EXPECT_TRUE(places.ListBox1->currentItem()->isSelected());

    TData_Sel& points = open(QStringLiteral("FUNE"));
    EXPECT_EQ(points.windowTitle(), QStringLiteral("ポイントの選択"));
    EXPECT_EQ(sorted(items()), sorted({QString(), QStringLiteral("沖堤")}));

    // The three species columns together, the empty text as one empty item.
    TData_Sel& species = open(QStringLiteral("SAKANA"));
    EXPECT_EQ(species.windowTitle(), QStringLiteral("魚種の選択"));
    EXPECT_EQ(sorted(items()),
        sorted({QString(), QStringLiteral("アジ"), QStringLiteral("イナダ"), QStringLiteral("サバ"),
            QStringLiteral("シーバス")}));
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << qPrintable(seams.messages.errors.join(u'|'));
}

TEST_F(Picker, ASpeciesListWhoseFirstRowIsNullStillListsTheSpecies)
{
    // A corrected record holds NULL for an empty second species; the database puts it first.
    record(1, QStringLiteral("館山"), nullValue(), QStringLiteral("アジ"), nullValue(), nullValue());
    open(QStringLiteral("SAKANA"));
    EXPECT_EQ(items(), QStringList{QStringLiteral("アジ")});
    open(QStringLiteral("FUNE"));
    EXPECT_EQ(items(), QStringList());
}

TEST_F(Picker, EveryClosingActionAnswersInSelValue)
{
    for (int code = 1; code <= 3; ++code)
        insertMinimal(db.dm(), code, QStringLiteral("場所%1").arg(code));
    auto itemText = [&](int row) { return Data_Sel->ListBox1->item(row)->text(); };

    using Action = std::function<void(TData_Sel&)>;
    const std::pair<const char*, Action> takingTheSelected[] = {
        {"Enter", [](TData_Sel& p) { QTest::keyClick(p.ListBox1, Qt::Key_Return); }},
        {"Escape", [](TData_Sel& p) { QTest::keyClick(p.ListBox1, Qt::Key_Escape); }},
        {"Space", [](TData_Sel& p) { QTest::keyClick(p.ListBox1, Qt::Key_Space); }},
        {"a letter", [](TData_Sel& p) { QTest::keyClick(p.ListBox1, Qt::Key_X); }},
        {"a digit", [](TData_Sel& p) { QTest::keyClick(p.ListBox1, Qt::Key_3); }},
        {"選　択", [](TData_Sel& p) { QTest::mouseClick(p.Button2, Qt::LeftButton); }},
    };
    for (const auto& [name, action] : takingTheSelected) {
        TData_Sel& p = open(QStringLiteral("BASYO"));
        // The arrows move the selection and close nothing.
        QTest::keyClick(p.ListBox1, Qt::Key_Down);
        QTest::keyClick(p.ListBox1, Qt::Key_Down);
        QTest::keyClick(p.ListBox1, Qt::Key_Up);
        ASSERT_TRUE(p.isVisible()) << name;
        Sel_Value = QStringLiteral("前の値");
        action(p);
        EXPECT_EQ(Sel_Value, itemText(1)) << name;
        EXPECT_FALSE(p.isVisible()) << name;
    }

    TData_Sel& clicked = open(QStringLiteral("BASYO"));
    QCoreApplication::processEvents(); // the list lays its items out once the loop runs
    const QRect third = clicked.ListBox1->visualItemRect(clicked.ListBox1->item(2));
    ASSERT_FALSE(third.isEmpty());
    // A double-click is a click (which selects) and the double-click itself.
    QTest::mouseClick(clicked.ListBox1->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_TRUE(clicked.isVisible());
    QTest::mouseDClick(clicked.ListBox1->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(Sel_Value, itemText(2));
    EXPECT_FALSE(clicked.isVisible());

    TData_Sel& typed = open(QStringLiteral("BASYO"));
    typeText(typed.Edit_NEW, QStringLiteral("新しい磯"));
    QTest::keyClick(typed.Edit_NEW, Qt::Key_Return);
    EXPECT_EQ(Sel_Value, QStringLiteral("新しい磯"));
    EXPECT_FALSE(typed.isVisible());

    TData_Sel& typedNothing = open(QStringLiteral("BASYO"));
    QTest::keyClick(typedNothing.Edit_NEW, Qt::Key_Return);
    EXPECT_EQ(Sel_Value, QString());

    Sel_Value = QStringLiteral("前の値");
    TData_Sel& back = open(QStringLiteral("BASYO"));
    QTest::mouseClick(back.Button1, Qt::LeftButton);
    EXPECT_EQ(Sel_Value, QString());
    EXPECT_FALSE(back.isVisible());
}

TEST_F(Picker, AnEmptyListStaysOpenUntilAValueIsTypedOrTheUserGoesBack)
{
    for (const char* kind : {"BASYO", "FUNE", "SAKANA"}) {
        Sel_Value = QStringLiteral("前の値");
        TData_Sel& p = open(QLatin1String(kind));
        EXPECT_EQ(p.ListBox1->count(), 0) << kind;
        QTest::keyClick(p.ListBox1, Qt::Key_Return);
        QTest::mouseDClick(p.ListBox1->viewport(), Qt::LeftButton);
        QTest::mouseClick(p.Button2, Qt::LeftButton);
        EXPECT_TRUE(p.isVisible()) << kind;
        EXPECT_EQ(Sel_Value, QStringLiteral("前の値")) << kind;
        typeText(p.Edit_NEW, QStringLiteral("初めての%1").arg(QLatin1String(kind)));
        QTest::keyClick(p.Edit_NEW, Qt::Key_Enter);
        EXPECT_EQ(Sel_Value, QStringLiteral("初めての%1").arg(QLatin1String(kind)));
        EXPECT_FALSE(p.isVisible()) << kind;
    }
}
