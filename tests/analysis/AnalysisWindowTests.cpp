#include "analysis/Bunseki_F.h"
#include "browser/Fishdata_F.h"
#include "browser/Kensaku2F.h"
#include "core/SqlQuery.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

void choose(QComboBox* box, const QString& item)
{
    const int row = box->findText(item);
    ASSERT_GE(row, 0) << item.toStdString();
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    while (list->currentIndex().row() < row)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex().row() > row)
        QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
}

void addOuting(TDM1& dm, int code, const char* day, const char* fish1, int count1, int size1, const char* fish2 = "")
{
    insertRecord(dm,
        {{S("CODENO"), code}, {S("DAY_DATA"), S(day)}, {S("BASYO"), S("館山")}, {S("FUNE"), S("沖堤")},
            {S("SHIO"), S("大潮")}, {S("FISH1"), S(fish1)}, {S("FISH1_KAZU"), count1}, {S("FISH1_MAX"), size1},
            {S("FISH2"), S(fish2)}});
}

} // namespace

TEST(AnalysisWindow, ShowsTheSearchedSpeciesAloneAndMovesTheBrowserToAChosenBest)
{
    ScriptedSeams seams;
    TempDatabase db;
    addOuting(db.dm(), 1, "2024/04/01", "アジ", 5, 31, "サバ");
    addOuting(db.dm(), 2, "2024/05/01", "メバル", 2, 20);
    addOuting(db.dm(), 3, "2025/05/01", "サバ", 4, 40, "アジ");
    addOuting(db.dm(), 4, "2025/06/01", "メバル", 1, 18);
    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();

    seams.modal.scripts.push_back([](QDialog& d) {
        choose(dynamic_cast<TKensaku_2_F&>(d).CBox_Serch, S("アジ"));
        return int(QDialog::Accepted);
    });
    choose(browser.CBox_Kensaku, S("魚種"));
    ASSERT_EQ(browser.Edit_No->text(), S("3"));

    const QString saved = db.dir() + S("/month.png");
    seams.fileDialog.answers.push_back(saved);
    seams.modal.scripts.push_back([&](QDialog& d) {
        auto& w = dynamic_cast<TBunsekiF&>(d);
        EXPECT_EQ(BunsekiF, &w);
        EXPECT_EQ(w.windowTitle(), S("釣果分析"));
        // Record 3's アジ has no count: one catch.
        EXPECT_EQ(w.Label_Total->text(), S("アジのみ：釣行 2 回　釣果 6 匹　魚種 1 種"));
        EXPECT_EQ(w.chartViews(TBunsekiF::Month).size(), 1);
        EXPECT_TRUE(w.chartViews(TBunsekiF::Tide).isEmpty()); // drawn when first looked at
        QTest::mouseClick(w.Btn_Save, Qt::LeftButton);

        QTabBar* tabs = w.Tab_Charts->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TBunsekiF::Best).center());
        EXPECT_EQ(w.Grid_Best->rowCount(), 1);
        EXPECT_EQ(w.Grid_Best->item(0, 1)->text(), S("31"));
        QWidget* cells = w.Grid_Best->viewport();
        const QPoint best = w.Grid_Best->visualItemRect(w.Grid_Best->item(0, 2)).center();
        QTest::mouseClick(cells, Qt::LeftButton, {}, best);
        QTest::mouseDClick(cells, Qt::LeftButton, {}, best);
        EXPECT_EQ(browser.Edit_No->text(), S("3")); // not before the window closes
        QTest::mouseClick(w.Btn_Close, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(browser.Btn_Bunseki, Qt::LeftButton);
    EXPECT_EQ(seams.modal.opened, (QStringList{S("Kensaku_2_F"), S("BunsekiF")}));
    EXPECT_EQ(BunsekiF, nullptr);
    EXPECT_EQ(browser.Edit_No->text(), S("1"));
    EXPECT_EQ(browser.IBSQL_2->rowCount(), 2); // still the search's records
    EXPECT_FALSE(QImage(saved, "PNG").isNull());

    // Closed without a choice, the browser stays on its record.
    QTest::mouseClick(browser.Btn_All_2, Qt::LeftButton);
    seams.modal.scripts.push_back([](QDialog& d) {
        auto& w = dynamic_cast<TBunsekiF&>(d);
        EXPECT_EQ(w.Label_Total->text(), S("釣行 4 回　釣果 14 匹　魚種 3 種"));
        QTest::mouseClick(w.Btn_Close, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(browser.Btn_Bunseki, Qt::LeftButton);
    EXPECT_EQ(browser.Edit_No->text(), S("4"));

    // Typing starts a correction, which the analysis must not move away from.
    QTest::mouseClick(browser.Edit_Tenki, Qt::LeftButton);
    QTest::keyClicks(browser.Edit_Tenki, S("x"));
    EXPECT_FALSE(browser.Btn_Bunseki->isEnabled());
    QTest::mouseClick(browser.Btn_No, Qt::LeftButton);
    EXPECT_TRUE(browser.Btn_Bunseki->isEnabled());
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << seams.messages.errors.join(u'\n').toStdString();
    FishdataF = nullptr;
}

TEST(AnalysisWindow, AnEmptyBookShowsEveryTabAndAFailedSaveIsTold)
{
    ScriptedSeams seams;
    TempDatabase db;
    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();

    seams.fileDialog.answers.push_back(db.dir() + S("/no such folder/tide"));
    seams.modal.scripts.push_back([](QDialog& d) {
        auto& w = dynamic_cast<TBunsekiF&>(d);
        EXPECT_EQ(w.Label_Total->text(), S("釣行 0 回　釣果 0 匹　魚種 0 種"));
        QTabBar* tabs = w.Tab_Charts->tabBar();
        for (int page = TBunsekiF::PageCount - 1; page >= 0; --page)
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        EXPECT_EQ(w.chartViews(TBunsekiF::Place).size(), 2);
        EXPECT_EQ(w.CBox_Fish->count(), 0);
        EXPECT_EQ(w.Grid_Best->rowCount(), 0);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TBunsekiF::Tide).center());
        QTest::mouseClick(w.Btn_Save, Qt::LeftButton);
        QTest::mouseClick(w.Btn_Save, Qt::LeftButton); // cancelled: nothing to tell
        QTest::mouseClick(w.Btn_Close, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(browser.Btn_Bunseki, Qt::LeftButton);
    EXPECT_EQ(seams.messages.informed,
        (QStringList{S("画像を保存できませんでした\n") + db.dir() + S("/no such folder/tide.png")}));
    EXPECT_EQ(browser.Edit_No->text(), S("0"));
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << seams.messages.errors.join(u'\n').toStdString();
    FishdataF = nullptr;
}
