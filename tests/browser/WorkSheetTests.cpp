#include "browser/Fishdata_F.h"
#include "browser/WorkSheet_F2.h"
#include "core/ResultSetModel.h"
#include "core/SharedState.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "support/Grids.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

TEST(WorkSheet, PickingARowBringsTheBrowserToThatRecord)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int code : {10, 20, 30, 40})
        insertMinimal(db.dm(), code, QStringLiteral("館山%1").arg(code));
    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();

    seams.modal.scripts.push_back([](QDialog& d) {
        auto* sheet = static_cast<TWorkSheetF2*>(&d);
        EXPECT_EQ(sheet->size(), QSize(810, 600));
        QTableView* grid = sheet->DBGrid1;
        EXPECT_EQ(grid->model()->rowCount(), 4);
        EXPECT_EQ(grid->model()->columnCount(), 7);
        EXPECT_EQ(grid->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("対象魚　１"));
        EXPECT_EQ(grid->columnWidth(2), 140);
        EXPECT_EQ(grid->currentIndex().row(), 3); // opens on the browser's record
        EXPECT_EQ(grid->model()->index(1, 2).data().toString(), QStringLiteral("館山20"));

        grid->setCurrentIndex(grid->model()->index(2, 1));
        EXPECT_EQ(FishdataF->IBSQL_2->currentRow(), 2);
        EXPECT_FALSE(grid->model()->flags(grid->model()->index(2, 1)) & Qt::ItemIsEditable);
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        sheet->Btn_Close->click();
        return int(QDialog::Accepted);
    });
    browser.Btn_worksheet->click();
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("WorkSheetF2")});
    EXPECT_EQ(WorkSheet_Mark, QStringLiteral("3"));
    EXPECT_EQ(browser.Edit_No->text(), QStringLiteral("30"));
    EXPECT_EQ(WorkSheetF2, nullptr);
    FishdataF = nullptr;
}

TEST(WorkSheet, TheLeftEdgeIsTheRecordNumberShownWhole)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int code : {-7, 5, 12345})
        insertMinimal(db.dm(), code);
    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();
    seams.modal.scripts.push_back([](QDialog& d) {
        auto* sheet = static_cast<TWorkSheetF2*>(&d);
        QTableView* grid = sheet->DBGrid1;
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(shownWhole(grid, row, 0)) << row;
        EXPECT_GE(grid->columnWidth(0), 40);
        // A click at the very left of a row lands on its number, not on a row counter.
        const auto [hit, at] = leftEdgeOf(grid, 0);
        EXPECT_EQ(hit, grid->viewport());
        QTest::mouseClick(hit, Qt::LeftButton, {}, at);
        EXPECT_EQ(grid->currentIndex().column(), 0);
        QTest::mouseClick(sheet->Btn_Close, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(browser.Btn_worksheet, Qt::LeftButton);
    EXPECT_EQ(browser.Edit_No->text(), QStringLiteral("-7"));
    FishdataF = nullptr;
}

TEST(WorkSheet, AnEmptyResultGivesAnEmptyGridAndAnEmptyRecord)
{
    ScriptedSeams seams;
    TempDatabase db;
    TFishdataF browser(nullptr);
    FishdataF = &browser;
    browser.show();
    seams.modal.scripts.push_back([](QDialog& d) {
        auto* sheet = static_cast<TWorkSheetF2*>(&d);
        EXPECT_EQ(sheet->DBGrid1->model()->rowCount(), 0);
        sheet->Btn_Close->click();
        return int(QDialog::Accepted);
    });
    browser.Btn_worksheet->click();
    EXPECT_EQ(WorkSheet_Mark, QString());
    EXPECT_EQ(browser.Edit_No->text(), QStringLiteral("0"));
    EXPECT_TRUE(seams.messages.errors.isEmpty());
    FishdataF = nullptr;
}

TEST(WorkSheet, TheModelFollowsItsQueryThroughReopens)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int code = 1; code <= 5; ++code)
        insertMinimal(db.dm(), code);
    kelpora::SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(QStringLiteral("select * from FISH_DATA order by CODENO"));
    kelpora::DataSource source(q);
    kelpora::ResultSetModel model(source,
        {{QStringLiteral("CODENO"), QStringLiteral("Ｎｏ")}, {QStringLiteral("BASYO"), QStringLiteral("釣り場")}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);
    q.open();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.index(4, 0).data().toString(), QStringLiteral("5"));
    q.close();
    EXPECT_EQ(model.rowCount(), 0);
}
