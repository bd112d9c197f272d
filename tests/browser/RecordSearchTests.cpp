#include "browser/Fishdata_F.h"
#include "browser/Kensaku2F.h"
#include "browser/Kensaku_F.h"
#include "browser/WorkSheet_F2.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

const QString kAll = QStringLiteral("全体");
const QString kSpecies = QStringLiteral("魚種");
const QString kPlace = QStringLiteral("場所");
const QString kPoint = QStringLiteral("ﾎﾟｲﾝﾄ");
const QString kMonth = QStringLiteral("月");

// Opens the box's list with the mouse, walks to the item with the arrow keys and
// takes it with Enter, as a user does; an item already shown is taken as it stands.
void choose(QComboBox* box, const QString& item)
{
    const int row = box->findText(item);
    ASSERT_GE(row, 0) << item.toStdString();
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(list->isVisible());
    while (list->currentIndex().row() < row)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex().row() > row)
        QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// An empty QVariant stores NULL, an empty QString empty text.
void addRecord(TDM1& dm, int code, const QString& day, const QVariant& place, const QVariant& point,
    const QVariant& fish1, const QVariant& fish2 = {}, const QVariant& fish3 = {})
{
    insertRecord(dm,
        {{QStringLiteral("CODENO"), code}, {QStringLiteral("DAY_DATA"), day}, {QStringLiteral("BASYO"), place},
            {QStringLiteral("FUNE"), point}, {QStringLiteral("FISH1"), fish1}, {QStringLiteral("FISH2"), fish2},
            {QStringLiteral("FISH3"), fish3}});
}

class Search : public ::testing::Test {
protected:
    void open()
    {
        w = new TFishdataF(nullptr);
        FishdataF = w;
        w->show();
    }
    void TearDown() override
    {
        delete w;
        FishdataF = nullptr;
    }

    // The value search picker's turn: check it, then take `value` from its list.
    void pickValue(const QString& value, QStringList* listed = nullptr)
    {
        seams.modal.scripts.push_back([=, this](QDialog& d) {
            QComboBox* box = dynamic_cast<TKensaku_2_F&>(d).CBox_Serch;
            if (listed)
                *listed = itemsOf(box);
            choose(box, value);
            EXPECT_FALSE(d.isVisible()); // taking an item closes the picker
            return int(QDialog::Accepted);
        });
    }
    void pickMonth(const char* buttonName)
    {
        seams.modal.scripts.push_back([=](QDialog& d) {
            click(d.findChild<QPushButton*>(QLatin1String(buttonName)));
            return int(QDialog::Accepted);
        });
    }
    void closePicker()
    {
        seams.modal.scripts.push_back([](QDialog& d) {
            click(d.findChild<QPushButton*>(QStringLiteral("Btn_Close")));
            return int(QDialog::Rejected);
        });
    }

    int shown() const { return w->Edit_No->text().toInt(); }
    // The record numbers of the browser's result set, in order.
    QList<int> result() const
    {
        QList<int> codes;
        for (int row = 0; row < w->IBSQL_2->rowCount(); ++row)
            codes << w->IBSQL_2->textAt(row, QStringLiteral("CODENO")).toInt();
        return codes;
    }

    ScriptedSeams seams;
    TempDatabase db;
    TFishdataF* w = nullptr;
};

} // namespace

TEST_F(Search, ASpeciesIsFoundInAnyOfTheThreeColumnsAndTheLastMatchIsShown)
{
    const QString aji = QStringLiteral("アジ");
    const QString saba = QStringLiteral("サバ");
    addRecord(db.dm(), 1, QStringLiteral("2024/01/05"), QStringLiteral("館山"), {}, aji);
    addRecord(db.dm(), 2, QStringLiteral("2024/01/06"), QStringLiteral("館山"), {}, saba, aji);
    addRecord(db.dm(), 3, QStringLiteral("2024/01/07"), QStringLiteral("富津"), {}, saba);
    addRecord(
        db.dm(), 4, QStringLiteral("2024/01/08"), QStringLiteral("富津"), {}, QStringLiteral("メバル"), saba, aji);
    open();
    EXPECT_EQ(itemsOf(w->CBox_Kensaku), (QStringList{kAll, kSpecies, kPlace, kPoint, kMonth}));
    EXPECT_EQ(w->CBox_Kensaku->currentText(), kAll);
    EXPECT_LT(w->Label_kensaku->geometry().bottom(), w->Btn_All_2->geometry().top());
    EXPECT_LT(w->Btn_All_2->geometry().bottom(), w->CBox_Kensaku->geometry().top());

    seams.modal.scripts.push_back([&](QDialog& d) {
        auto& picker = dynamic_cast<TKensaku_2_F&>(d);
        EXPECT_EQ(&picker, Kensaku_2_F);
        EXPECT_EQ(d.parentWidget(), w);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("検索"));
        EXPECT_EQ(d.size(), QSize(350, 150));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_LE((d.frameGeometry().center() - w->frameGeometry().center()).manhattanLength(), 2);
        EXPECT_EQ(picker.Label_Serch->text(), QStringLiteral("魚種で検索します "));
        QComboBox* box = picker.CBox_Serch;
        EXPECT_EQ(box->maxVisibleItems(), 20);
        const QStringList listed = itemsOf(box);
        EXPECT_EQ(listed.size(), 3); // each species once, whichever column holds it
        EXPECT_EQ(listed.count(aji), 1);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("zz"));
        EXPECT_TRUE(d.isVisible()); // typing is no way to choose
        choose(box, aji);
        EXPECT_FALSE(d.isVisible());
        return int(QDialog::Accepted);
    });
    choose(w->CBox_Kensaku, kSpecies);

    EXPECT_EQ(Kensaku_2_F, nullptr);
    EXPECT_EQ(Serch_Kind, 1);
    EXPECT_EQ(Serch_Tuki, aji);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("魚種で検索"));
    EXPECT_EQ(result(), (QList<int>{1, 2, 4}));
    EXPECT_EQ(shown(), 4);
    EXPECT_EQ(w->IBSQL_2->sqlText(),
        QStringLiteral(" select * from FISH_DATA \n where                   \n FISH1 = :parFISH        \n"
                       " or                      \n FISH2 = :parFISH        \n or                      \n"
                       " FISH3 = :parFISH        \n order by CODENO         "));
    click(w->Btn_Prior);
    EXPECT_EQ(shown(), 2);
    click(w->Btn_D_10);
    EXPECT_EQ(shown(), 1);
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(Search, PlaceAndPointMatchWholeValuesAndTwoWritingsStayApart)
{
    const QString fullWidth = QStringLiteral("アジロ");
    const QString halfWidth = QStringLiteral("ｱｼﾞﾛ");
    const QString light = QStringLiteral("赤灯");
    addRecord(db.dm(), 1, QStringLiteral("2024/03/01"), fullWidth, light, QStringLiteral("アジ"));
    addRecord(db.dm(), 2, QStringLiteral("2024/03/02"), halfWidth, QStringLiteral("赤灯台"), QStringLiteral("アジ"));
    addRecord(db.dm(), 3, QStringLiteral("2024/03/03"), fullWidth, light, QStringLiteral("サバ"));
    addRecord(db.dm(), 4, QStringLiteral("2024/03/04"), QStringLiteral("アジロ浜"), light, QStringLiteral("サバ"));
    open();

    QStringList places;
    pickValue(halfWidth, &places);
    choose(w->CBox_Kensaku, kPlace);
    EXPECT_EQ(places.size(), 3);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("場所で検索"));
    EXPECT_EQ(result(), QList<int>{2});
    pickValue(fullWidth);
    choose(w->CBox_Kensaku, kPlace);
    EXPECT_EQ(result(), (QList<int>{1, 3}));
    EXPECT_TRUE(w->IBSQL_2->sqlText().contains(QStringLiteral("\n BASYO = :parBASYO       \n")));

    pickValue(light);
    choose(w->CBox_Kensaku, kPoint);
    EXPECT_EQ(Serch_Kind, 4);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("ﾎﾟｲﾝﾄで検索"));
    EXPECT_EQ(result(), (QList<int>{1, 3, 4}));
    EXPECT_EQ(shown(), 4);
    EXPECT_TRUE(w->IBSQL_2->sqlText().contains(QStringLiteral("\n FUNE = :parFUNE         \n")));
}

TEST_F(Search, AMonthIsFoundInEveryYearOnlyInTheUsualDateForm)
{
    const char* days[] = {"2023/02/10", "2024/02/28", "2024/03/02", "2024/2/5", "2025/02/01", "2024/12/02",
        "2024/02/05 朝", "2024/10/10"};
    for (int i = 0; i < 8; ++i)
        addRecord(db.dm(), i + 1, QString::fromUtf8(days[i]), QStringLiteral("館山"), {}, QStringLiteral("アジ"));
    open();
    seams.modal.scripts.push_back([this](QDialog& d) {
        auto& picker = dynamic_cast<TKensakuF&>(d);
        EXPECT_EQ(&picker, KensakuF);
        EXPECT_EQ(d.parentWidget(), w);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("検索"));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(picker.Label_x26->text(), QStringLiteral("釣行月で検索します"));
        const QString captions = QStringLiteral("１２３４５６７８９");
        for (int m = 1; m <= 12; ++m) {
            QPushButton* b = picker.monthButtons[size_t(m - 1)];
            EXPECT_EQ(b->objectName(), QStringLiteral("Btn_M%1").arg(m, 2, 10, QChar(u'0')));
            EXPECT_EQ(b->text(), m <= 9 ? captions.mid(m - 1, 1) : QString::number(m));
            EXPECT_EQ(b->y() > picker.monthButtons[0]->y(), m > 6) << m;
        }
        click(d.findChild<QPushButton*>(QStringLiteral("Btn_M02")));
        return int(QDialog::Accepted);
    });
    choose(w->CBox_Kensaku, kMonth);
    EXPECT_EQ(KensakuF, nullptr);
    EXPECT_EQ(Serch_Kind, 2);
    EXPECT_EQ(Serch_Tuki, QStringLiteral("02"));
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("月で検索"));
    EXPECT_EQ(result(), (QList<int>{1, 2, 5}));
    EXPECT_EQ(shown(), 5);
    EXPECT_EQ(w->IBSQL_2->sqlText(),
        QStringLiteral(" select * from FISH_DATA       where DAY_DATA like :parTUKI  order by CODENO              "));

    pickMonth("Btn_M12");
    choose(w->CBox_Kensaku, kMonth);
    EXPECT_EQ(result(), QList<int>{6});
    pickMonth("Btn_M10");
    choose(w->CBox_Kensaku, kMonth);
    EXPECT_EQ(result(), QList<int>{8});
}

TEST(ValuePicker, ListsEveryStoredValueLeavingOutNullsButKeepingEmptyText)
{
    ScriptedSeams seams;
    TempDatabase db;
    // The NULL second species comes first from the union; it must hide nothing.
    addRecord(db.dm(), 1, QStringLiteral("2024/01/01"), QStringLiteral("館山"), {}, QStringLiteral("アジ"), {},
        QStringLiteral("サバ"));
    addRecord(db.dm(), 2, QStringLiteral("2024/01/02"), QString(), {}, QStringLiteral("メバル"), QString());
    addRecord(db.dm(), 3, QStringLiteral("2024/01/03"), {}, {}, QStringLiteral("アジ"));
    auto listFor = [](int kind) {
        Serch_Kind = kind;
        const TKensaku_2_F picker(nullptr);
        return std::pair{itemsOf(picker.CBox_Serch), picker.Label_Serch->text()};
    };
    const auto [species, speciesLabel] = listFor(1);
    EXPECT_EQ(species.size(), 4);
    for (const QString& s : {QString(), QStringLiteral("アジ"), QStringLiteral("サバ"), QStringLiteral("メバル")})
        EXPECT_EQ(species.count(s), 1) << s.toStdString();
    const auto [places, placeLabel] = listFor(3);
    EXPECT_EQ(placeLabel, QStringLiteral("場所で検索します "));
    EXPECT_EQ(places.size(), 2);
    EXPECT_TRUE(places.contains(QString()) && places.contains(QStringLiteral("館山")));
    const auto [points, pointLabel] = listFor(4);
    EXPECT_EQ(pointLabel, QStringLiteral("ﾎﾟｲﾝﾄで検索します"));
    EXPECT_EQ(points, QStringList{QStringLiteral(" ----- ")});
    // Made with no search kind, as at start-up: no owner, no query, nothing listed.
    const auto [none, noLabel] = listFor(0);
    EXPECT_TRUE(none.isEmpty() && noLabel.isEmpty());
}

TEST_F(Search, AnEmptyBookOffersTheDashesWhichAreTakenAsShownAndFindNothing)
{
    open();
    QStringList listed;
    pickValue(QStringLiteral(" ----- "), &listed); // already the item shown: taken without moving
    choose(w->CBox_Kensaku, kSpecies);
    EXPECT_EQ(listed, QStringList{QStringLiteral(" ----- ")});
    EXPECT_EQ(Serch_Tuki, QStringLiteral(" ----- "));
    EXPECT_TRUE(w->IBSQL_2->isOpen());
    EXPECT_EQ(w->IBSQL_2->rowCount(), 0);
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("0"));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}

TEST_F(Search, ClosingEitherPickerLeavesTheRecordAndResultItHad)
{
    const QString aji = QStringLiteral("アジ");
    for (int code = 1; code <= 5; ++code)
        addRecord(db.dm(), code, QStringLiteral("2024/06/01"), QStringLiteral("館山"), {},
            code % 2 ? aji : QStringLiteral("サバ"));
    open();
    pickValue(aji);
    choose(w->CBox_Kensaku, kSpecies);
    click(w->Btn_Prior);
    ASSERT_EQ(shown(), 3);

    closePicker();
    choose(w->CBox_Kensaku, kPlace);
    EXPECT_EQ(Serch_Kind, 0);
    EXPECT_EQ(result(), (QList<int>{1, 3, 5}));
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(w->CBox_Kensaku->currentText(), kAll); // put back, and no reload followed
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("場所で検索"));

    closePicker();
    choose(w->CBox_Kensaku, kMonth);
    EXPECT_EQ(Serch_Kind, 0);
    EXPECT_EQ(result(), (QList<int>{1, 3, 5}));
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(w->CBox_Kensaku->currentText(), kMonth);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("月で検索"));
}

TEST_F(Search, ASearchStaysThroughNavigationCorrectionAndTheWorkSheetUntilShowAll)
{
    const QString aji = QStringLiteral("アジ");
    for (int code = 1; code <= 6; ++code)
        addRecord(db.dm(), code, QStringLiteral("2024/07/01"), QStringLiteral("館山"), {},
            code % 3 == 0 ? QStringLiteral("サバ") : aji);
    open();
    pickMonth("Btn_M08"); // matches nothing: the empty result is shown
    choose(w->CBox_Kensaku, kMonth);
    EXPECT_EQ(w->Edit_No->text(), QStringLiteral("0"));
    pickValue(aji);
    choose(w->CBox_Kensaku, kSpecies);
    ASSERT_EQ(result(), (QList<int>{1, 2, 4, 5}));

    click(w->Btn_First);
    click(w->Btn_Next);
    QTest::mouseClick(w->Edit_Tenki, Qt::LeftButton);
    typeText(w->Edit_Tenki, QStringLiteral("曇り"));
    click(w->Btn_Teisei);
    EXPECT_EQ(result(), (QList<int>{1, 2, 4, 5}));
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(w->Edit_Tenki->text(), QStringLiteral("曇り"));

    seams.modal.scripts.push_back([](QDialog& d) {
        auto& sheet = dynamic_cast<TWorkSheetF2&>(d);
        QTableView* grid = sheet.DBGrid1;
        EXPECT_EQ(grid->model()->rowCount(), 4);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(3, 1)).center());
        click(sheet.Btn_Close);
        return int(QDialog::Accepted);
    });
    click(w->Btn_worksheet);
    EXPECT_EQ(shown(), 5);
    EXPECT_EQ(w->IBSQL_2->rowCount(), 4);

    choose(w->CBox_Kensaku, kAll);
    EXPECT_EQ(Serch_Kind, 0);
    EXPECT_EQ(result(), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(shown(), 6);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("検索"));

    pickValue(QStringLiteral("サバ"));
    choose(w->CBox_Kensaku, kSpecies);
    EXPECT_EQ(result(), (QList<int>{3, 6}));
    const int opened = int(seams.modal.opened.size());
    click(w->Btn_All_2);
    EXPECT_EQ(result(), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(shown(), 6);
    EXPECT_EQ(w->Label_kensaku->text(), QStringLiteral("検索"));
    EXPECT_EQ(w->CBox_Kensaku->currentText(), kAll);
    EXPECT_EQ(Serch_Kind, 1); // the button leaves the kind as it was
    EXPECT_EQ(seams.modal.opened.size(), opened); // putting "全体" back opened nothing
    EXPECT_TRUE(seams.messages.errors.isEmpty());
}
