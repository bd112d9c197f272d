#include "app/Main_F.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "maintenance/Mente_F.h"
#include "support/Grids.h"
#include "support/OpenWindow.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace kelpora::testing;

namespace {

class Maintenance : public ::testing::Test {
protected:
    void SetUp() override
    {
        insertRecord(db.dm(),
            {{QStringLiteral("CODENO"), 10}, {QStringLiteral("DAY_DATA"), QStringLiteral("2024/04/01")},
                {QStringLiteral("FUNE"), QStringLiteral("沖堤")}, {QStringLiteral("BASYO"), QStringLiteral("館山")},
                {QStringLiteral("FISH1"), QStringLiteral("アジ")}, {QStringLiteral("FISH1_MAX"), 28},
                {QStringLiteral("PHOTO1"), QByteArray("\xFF\xD8 not really a photo")}});
        insertMinimal(db.dm(), 20, QStringLiteral("富津"), QStringLiteral("シーバス"));
        insertMinimal(db.dm(), 30, QStringLiteral("洲崎"), QStringLiteral("メバル"));
    }

    TMenteF& open()
    {
        window.emplace(MenteF, nullptr);
        return window->shown();
    }
    QTableView* grid() const { return MenteF->DBGrid_Data; }
    int currentRow() const { return grid()->currentIndex().row(); }
    int stored(int code) const
    {
        return TempDatabase::countRows(db.path(), QStringLiteral("where CODENO = %1").arg(code));
    }

    void enterNumber(const QString& text)
    {
        QLineEdit* edit = MenteF->Edit_Data_del;
        edit->clear();
        QTest::mouseClick(edit, Qt::LeftButton);
        typeText(edit, text);
    }
    void pressDelete() { QTest::mouseClick(MenteF->Btn_D_del, Qt::LeftButton); }
    void doubleClickRow(int row)
    {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 3));
        // What the window system delivers: press, release, then the double click and its release.
        QWidget* viewport = grid()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, cell.center());
    }

    ScriptedSeams seams;
    TempDatabase db;
    std::optional<OpenWindow<TMenteF>> window;
};

} // namespace

TEST_F(Maintenance, OpensFromTheMainMenuOnARecordListWithItsTitlesAndWidths)
{
    TMainF menu;
    menu.show();
    seams.modal.scripts.push_back([&](QDialog& d) {
        TMenteF& w = dynamic_cast<TMenteF&>(d);
        EXPECT_EQ(&w, MenteF);
        EXPECT_EQ(d.parentWidget(), &menu);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("メンテナンス"));
        EXPECT_EQ(w.size(), QSize(799, 579));
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(w.Label2->text(), QStringLiteral("メンテナンス画面"));
        EXPECT_EQ(w.Btn_D_del->text(), QStringLiteral("削　除"));

        QTableView* g = w.DBGrid_Data;
        EXPECT_EQ(g->size(), QSize(753, 417));
        QAbstractItemModel* m = g->model();
        const QStringList titles{QStringLiteral("番号"), QStringLiteral("日付"), QStringLiteral("ポイント"),
            QStringLiteral("場所"), QStringLiteral("魚　１"), QStringLiteral("最大"), QStringLiteral("最小"),
            QStringLiteral("数"), QStringLiteral("魚　２"), QStringLiteral("最大"), QStringLiteral("最小"),
            QStringLiteral("数"), QStringLiteral("魚　３"), QStringLiteral("最大"), QStringLiteral("最小"),
            QStringLiteral("数")};
        const int widths[] = {50, 100, 100, 120, 100, 50, 50, 50, 100, 50, 50, 50, 100, 50, 50, 50};
        EXPECT_EQ(m->columnCount(), titles.size());
        for (int c = 0; c < m->columnCount(); ++c) {
            EXPECT_EQ(m->headerData(c, Qt::Horizontal).toString(), titles[c]) << c;
            EXPECT_EQ(g->columnWidth(c), widths[c]) << c;
        }
        EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        EXPECT_EQ(m->rowCount(), 3);
        EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("沖堤"));
        EXPECT_EQ(m->index(0, 5).data().toString(), QStringLiteral("28"));
        EXPECT_EQ(m->index(1, 5).data().toString(), QString()); // NULL size
        EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
        EXPECT_EQ(g->currentIndex().row(), 0);
        QTest::mouseClick(w.Btn_Data_Last, Qt::LeftButton);
        EXPECT_EQ(g->currentIndex().row(), 2);
        QTest::mouseClick(w.Btn_Data_First, Qt::LeftButton);
        EXPECT_EQ(g->currentIndex().row(), 0);

        QTest::mouseClick(w.Btn_Return, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(menu.findChild<QPushButton*>(QStringLiteral("Btn_Mente")), Qt::LeftButton);
    EXPECT_EQ(seams.modal.opened, QStringList{QStringLiteral("MenteF")});
    EXPECT_EQ(MenteF, nullptr);
}

TEST_F(Maintenance, ADoubleClickedNumberIsDeletedOnlyAfterTheRecordIsShownAndYesAnswered)
{
    open();
    doubleClickRow(2);
    EXPECT_EQ(MenteF->Edit_Data_del->text(), QStringLiteral("30"));
    doubleClickRow(0); // taking a number deletes nothing yet
    EXPECT_EQ(MenteF->Edit_Data_del->text(), QStringLiteral("10"));
    EXPECT_TRUE(seams.messages.questions.isEmpty());
    pressDelete(); // answered "no": the scripted question's default
    ASSERT_EQ(seams.messages.questions.size(), 1);
    const QString question = seams.messages.questions[0];
    for (const QString& part :
        {QStringLiteral("10"), QStringLiteral("2024/04/01"), QStringLiteral("館山"), QStringLiteral("アジ")})
        EXPECT_TRUE(question.contains(part)) << part.toStdString();
    EXPECT_EQ(stored(10), 1);
    EXPECT_EQ(MenteF->Edit_Data_del->text(), QStringLiteral("10"));
    EXPECT_EQ(grid()->model()->rowCount(), 3);

    QTest::mouseClick(MenteF->Btn_Data_Last, Qt::LeftButton);
    seams.messages.answers.push_back(true);
    pressDelete();
    EXPECT_EQ(stored(10), 0); // the whole row went, its photo with it
    EXPECT_EQ(TempDatabase::countRows(db.path()), 2);
    EXPECT_EQ(grid()->model()->rowCount(), 2);
    EXPECT_EQ(currentRow(), 0); // back on the first row, not the neighbour
    EXPECT_EQ(grid()->model()->index(0, 0).data().toString(), QStringLiteral("20"));
    EXPECT_TRUE(MenteF->Edit_Data_del->text().isEmpty());
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST_F(Maintenance, EveryNumberShowsWholeAndTheLeftEdgeOfARowIsItsNumber)
{
    insertMinimal(db.dm(), 123456);
    insertMinimal(db.dm(), -99999);
    TMenteF& w = open();
    QTableView* grid = w.DBGrid_Data;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        EXPECT_TRUE(shownWhole(grid, row, 0)) << row;
    const auto [hit, at] = leftEdgeOf(grid, 4);
    ASSERT_EQ(hit, grid->viewport());
    QTest::mouseClick(hit, Qt::LeftButton, {}, at);
    QTest::mouseDClick(hit, Qt::LeftButton, {}, at);
    EXPECT_EQ(w.Edit_Data_del->text(), QStringLiteral("123456"));
}

TEST_F(Maintenance, BadNumbersAreRefusedBeforeAnythingRuns)
{
    open();
    pressDelete();
    enterNumber(QStringLiteral("abc"));
    pressDelete();
    enterNumber(QStringLiteral("１２"));
    pressDelete();
    enterNumber(QStringLiteral("99"));
    pressDelete();
    EXPECT_EQ(seams.messages.informed,
        (QStringList{QStringLiteral("番号を入力してください"), QStringLiteral("番号の指定が違っています"),
            QStringLiteral("番号の指定が違っています"), QStringLiteral("番号 99 の記録はありません")}));
    EXPECT_TRUE(seams.messages.questions.isEmpty());
    EXPECT_EQ(TempDatabase::countRows(db.path()), 3);
    EXPECT_EQ(MenteF->Edit_Data_del->text(), QStringLiteral("99"));
}

TEST_F(Maintenance, AFailedDeletionIsRolledBackAndKeepsTheNumber)
{
    // A row elsewhere that refers to record 20 makes the server refuse its deletion.
    kelpora::SqlQuery ddl(db.dm().IBDB2, db.dm().IBTr2);
    ddl.addSql(QStringLiteral("create table TRIP_REF (CODE integer references FISH_DATA (CODENO))"));
    ddl.execute();
    db.dm().IBTr2.commitRetaining();
    ddl.clearSql();
    ddl.addSql(QStringLiteral("insert into TRIP_REF (CODE) values (20)"));
    ddl.execute();
    db.dm().IBTr2.commitRetaining();

    open();
    enterNumber(QStringLiteral("20"));
    seams.messages.answers.push_back(true);
    pressDelete();
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("失敗しました")});
    EXPECT_EQ(MenteF->Edit_Data_del->text(), QStringLiteral("20"));
    EXPECT_EQ(stored(20), 1);
    EXPECT_EQ(grid()->model()->rowCount(), 3);

    // The transaction is whole again: the next deletion goes through.
    enterNumber(QStringLiteral("30"));
    seams.messages.answers.push_back(true);
    pressDelete();
    EXPECT_EQ(stored(30), 0);
    EXPECT_EQ(seams.messages.informed.size(), 1);
}

TEST_F(Maintenance, TheHighestNumberDeletedIsGivenToTheNextRecord)
{
    insertMinimal(db.dm(), 31);
    open();
    kelpora::SqlQuery next(db.dm().IBDB2, db.dm().IBTr2);
    next.addSql(QStringLiteral("select max(CODENO) from FISH_DATA"));
    auto nextNumber = [&next] {
        next.open();
        return next.aggregateInteger() + 1;
    };
    enterNumber(QStringLiteral("31"));
    seams.messages.answers.push_back(true);
    pressDelete();
    EXPECT_EQ(nextNumber(), 31);

    enterNumber(QStringLiteral("10"));
    seams.messages.answers.push_back(true);
    pressDelete();
    EXPECT_EQ(nextNumber(), 31); // a lower number is not given again
}
