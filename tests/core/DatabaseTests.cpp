#include "support/TempDatabase.h"
#include "support/ScriptedSeams.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/NamedParams.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using kelpora::SqlQuery;
using kelpora::testing::ScriptedSeams;
using kelpora::testing::TempDatabase;

namespace {

void insertRecord(TDM1& dm, int code, const QString& place, const QString& fish = QStringLiteral("アジ"))
{
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("insert into FISH_DATA (CODENO, BASYO, FISH1) values (:parCODENO, :parBASYO, :parFISH1)"));
    q.bindInteger(QStringLiteral("parCODENO"), code);
    q.bindText(QStringLiteral("parBASYO"), place);
    q.bindText(QStringLiteral("parFISH1"), fish);
    ASSERT_TRUE(dm.guardedWrite(q, QStringLiteral("入力に失敗しました")));
}

void openAll(SqlQuery& q)
{
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
    q.open();
}

} // namespace

TEST(NamedParameters, BecomePositionalOutsideQuotesAndComments)
{
    const auto p = kelpora::toPositional(QStringLiteral(
        "select * from T where A = :parX and B = ':notParam' -- :nor\n and C = :parY or D = :parx /* :no */"));
    EXPECT_EQ(p.sql,
        QStringLiteral("select * from T where A = ? and B = ':notParam' -- :nor\n and C = ? or D = ? /* :no */"));
    EXPECT_EQ(p.names, (QStringList{QStringLiteral("PARX"), QStringLiteral("PARY"), QStringLiteral("PARX")}));
}

TEST(NamedParameters, RepeatedNameTakesItsValueEverywhereAndUnboundIsNull)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertRecord(db.dm(), 1, QStringLiteral("館山"), QStringLiteral("メバル"));
    insertRecord(db.dm(), 2, QStringLiteral("メバル"), QStringLiteral("アジ"));
    insertRecord(db.dm(), 3, QStringLiteral("富津"), QStringLiteral("アジ"));

    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(QStringLiteral("select CODENO from FISH_DATA where FISH1 = :parF or BASYO = :parF order by CODENO"));
    q.bindText(QStringLiteral("parF"), QStringLiteral("メバル"));
    q.open();
    ASSERT_EQ(q.rowCount(), 2);
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 1);
    q.next();
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 2);

    // A parameter never bound in this run goes to the server as NULL.
    SqlQuery w(db.dm().IBDB2, db.dm().IBTr2);
    w.addSql(QStringLiteral("update FISH_DATA set FISH2 = :parFISH2, FISH1_MAX = :parMAX where CODENO = :parCODENO"));
    w.bindInteger(QStringLiteral("parCODENO"), 3);
    ASSERT_TRUE(db.dm().guardedWrite(w, QStringLiteral("更新に失敗しました")));
    q.clearSql();
    q.addSql(QStringLiteral("select * from FISH_DATA where CODENO = 3"));
    q.open();
    EXPECT_TRUE(q.isNull(QStringLiteral("FISH2")));
    EXPECT_TRUE(q.isNull(QStringLiteral("FISH1_MAX")));
    EXPECT_EQ(q.fieldText(QStringLiteral("FISH2")), QString());
    EXPECT_EQ(q.fieldInteger(QStringLiteral("FISH1_MAX")), 0);

    EXPECT_THROW(q.bindText(QStringLiteral("parNowhere"), QStringLiteral("x")), kelpora::ProgrammingError);
}

TEST(Binding, EveryKindRoundTrips)
{
    ScriptedSeams seams;
    TempDatabase db;
    QByteArray blob(300000, Qt::Uninitialized); // several segments
    for (qsizetype i = 0; i < blob.size(); ++i)
        blob[i] = char((i * 131) & 0xFF);
    const QString memo = QStringLiteral("一行目\r\n二行目\r\n\r\n最後の行");

    SqlQuery w(db.dm().IBDB2, db.dm().IBTr2);
    w.addSql(QStringLiteral("insert into FISH_DATA (CODENO, BASYO, FISH1_MAX, SHIKAKE, PHOTO1, TENNKI)"));
    w.addSql(QStringLiteral(" values (:parCODENO, :parBASYO, :parMAX, :parSHIKAKE, :parPHOTO1, :parTENNKI)"));
    w.bindInteger(QStringLiteral("parCODENO"), 7);
    w.bindText(QStringLiteral("parBASYO"), QStringLiteral("城ヶ島　ﾃｽﾄ"));
    w.bindInteger(QStringLiteral("parMAX"), -25);
    w.bindMemo(QStringLiteral("parSHIKAKE"), memo);
    w.bindBlob(QStringLiteral("parPHOTO1"), blob);
    w.bindText(QStringLiteral("parTENNKI"), QString()); // empty text, not NULL
    ASSERT_TRUE(db.dm().guardedWrite(w, QStringLiteral("入力に失敗しました")));

    SqlQuery r(db.dm().IBDB2, db.dm().IBTr2);
    openAll(r);
    EXPECT_EQ(r.fieldInteger(QStringLiteral("CODENO")), 7);
    EXPECT_EQ(r.fieldText(QStringLiteral("BASYO")), QStringLiteral("城ヶ島　ﾃｽﾄ"));
    EXPECT_EQ(r.fieldInteger(QStringLiteral("FISH1_MAX")), -25);
    EXPECT_EQ(r.fieldText(QStringLiteral("SHIKAKE")), memo);
    EXPECT_EQ(r.fieldBlob(QStringLiteral("PHOTO1")), blob);
    EXPECT_FALSE(r.isNull(QStringLiteral("TENNKI")));
    EXPECT_TRUE(r.isNull(QStringLiteral("PHOTO2")));
    EXPECT_TRUE(r.fieldBlob(QStringLiteral("PHOTO2")).isEmpty());

    // Stored as Shift-JIS bytes: four double-byte characters and three half-width kana.
    SqlQuery len(db.dm().IBDB2, db.dm().IBTr2);
    len.addSql(QStringLiteral("select octet_length(BASYO) from FISH_DATA"));
    len.open();
    EXPECT_EQ(len.aggregateInteger(), 4 * 2 + 3);
}

TEST(Binding, UnrepresentableTextIsRefusedBeforeAnythingIsWritten)
{
    ScriptedSeams seams;
    TempDatabase db;
    SqlQuery w(db.dm().IBDB2, db.dm().IBTr2);
    w.addSql(QStringLiteral("insert into FISH_DATA (CODENO, BASYO) values (:parCODENO, :parBASYO)"));
    w.bindInteger(QStringLiteral("parCODENO"), 1);
    try {
        w.bindText(QStringLiteral("parBASYO"), QStringLiteral("𠮷野家"));
        FAIL() << "no error";
    } catch (const kelpora::EncodingError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("𠮷"))) << qPrintable(e.text());
    }
    EXPECT_THROW(w.bindMemo(QStringLiteral("parBASYO"), QStringLiteral("釣れた🎣")), kelpora::EncodingError);
    EXPECT_EQ(TempDatabase::countRows(db.path()), 0);
}

TEST(Navigation, MovesClampAtBothEnds)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int i = 1; i <= 25; ++i)
        insertRecord(db.dm(), i, QStringLiteral("場所%1").arg(i));
    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    openAll(q);
    auto code = [&] { return q.fieldInteger(QStringLiteral("CODENO")); };
    EXPECT_EQ(code(), 1);
    q.prior();
    EXPECT_EQ(code(), 1);
    q.moveBy(-10);
    EXPECT_EQ(code(), 1);
    q.last();
    EXPECT_EQ(code(), 25);
    q.moveBy(-8);
    q.moveBy(10);
    EXPECT_EQ(code(), 25);
    q.next();
    EXPECT_EQ(code(), 25);
    q.moveBy(-10);
    EXPECT_EQ(code(), 15);
    q.first();
    q.moveBy(10);
    EXPECT_EQ(code(), 11);
}

TEST(Navigation, EmptyResultHasEmptyKeyAndMovesDoNothing)
{
    ScriptedSeams seams;
    TempDatabase db;
    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    openAll(q);
    EXPECT_TRUE(q.isEmpty());
    q.last();
    q.moveBy(10);
    EXPECT_EQ(q.positionKey(), QString());
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 0);
    EXPECT_EQ(q.fieldText(QStringLiteral("BASYO")), QString());

    SqlQuery m(db.dm().IBDB2, db.dm().IBTr2);
    m.addSql(QStringLiteral("select max(CODENO) from FISH_DATA"));
    m.open();
    EXPECT_EQ(m.aggregateInteger(), 0);
}

TEST(PositionKeys, SurviveAReopenAndClampWhenTheResultShrinks)
{
    ScriptedSeams seams;
    TempDatabase db;
    for (int i = 1; i <= 6; ++i)
        insertRecord(db.dm(), i * 10, i % 2 ? QStringLiteral("館山") : QStringLiteral("富津"));
    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    openAll(q);
    q.moveBy(3);
    const QString key = q.positionKey();
    q.close();
    q.open();
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 10); // reopened on the first row
    q.gotoPositionKey(key);
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 40);
    q.gotoPositionKey(QString()); // an empty key leaves the cursor alone
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 40);

    q.last();
    const QString lastKey = q.positionKey();
    SqlQuery del(db.dm().IBDB2, db.dm().IBTr2);
    del.addSql(QStringLiteral("delete from FISH_DATA where CODENO >= 50"));
    ASSERT_TRUE(db.dm().guardedWrite(del, QStringLiteral("失敗しました")));
    q.close();
    q.open();
    q.gotoPositionKey(lastKey);
    EXPECT_EQ(q.fieldInteger(QStringLiteral("CODENO")), 40);
}

TEST(Writes, TwoInARowAreBothDurableAfterDetach)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertRecord(db.dm(), 1, QStringLiteral("館山"));
    insertRecord(db.dm(), 2, QStringLiteral("富津"));
    EXPECT_TRUE(db.dm().IBTr2.active());
    db.dm().IBDB2.close();
    EXPECT_FALSE(db.dm().IBDB2.connected());
    EXPECT_EQ(TempDatabase::countRows(db.path()), 2);
    EXPECT_TRUE(seams.messages.informed.isEmpty());
}

TEST(Writes, AFailingWriteKeepsEarlierWritesAndTheTransactionUsable)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertRecord(db.dm(), 1, QStringLiteral("館山"));

    SqlQuery reader(db.dm().IBDB2, db.dm().IBTr2);
    openAll(reader);

    SqlQuery w(db.dm().IBDB2, db.dm().IBTr2);
    w.addSql(QStringLiteral("update FISH_DATA set BASYO = :parBASYO where CODENO = 1"));
    w.bindText(QStringLiteral("parBASYO"), QStringLiteral("とても長い場所の名前は二十バイトを超える"));
    EXPECT_FALSE(db.dm().guardedWrite(w, QStringLiteral("更新に失敗しました")));
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("更新に失敗しました")});

    // The open result set is untouched and the next write goes through.
    EXPECT_EQ(reader.fieldText(QStringLiteral("BASYO")), QStringLiteral("館山"));
    insertRecord(db.dm(), 2, QStringLiteral("富津"));
    db.dm().IBDB2.close();
    EXPECT_EQ(TempDatabase::countRows(db.path()), 2);
    EXPECT_EQ(TempDatabase::countRows(db.path(), QStringLiteral("where BASYO = '館山'")), 1);
}

TEST(Writes, AFailureThatIsNotTheDatabasesStillGetsTheMessageAndTheRollback)
{
    ScriptedSeams seams;
    TempDatabase db;
    insertRecord(db.dm(), 1, QStringLiteral("館山"));

    // The statement text itself cannot be sent (no Shift-JIS form): the data layer's
    // own error, not the server's, and it comes after an earlier uncommitted change.
    SqlQuery pending(db.dm().IBDB2, db.dm().IBTr2);
    pending.addSql(QStringLiteral("update FISH_DATA set BASYO = '富津' where CODENO = 1"));
    pending.execute();
    SqlQuery w(db.dm().IBDB2, db.dm().IBTr2);
    w.addSql(QStringLiteral("update FISH_DATA set BASYO = '🐟' where CODENO = 1"));
    EXPECT_FALSE(db.dm().guardedWrite(w, QStringLiteral("更新に失敗しました")));
    EXPECT_EQ(seams.messages.informed, QStringList{QStringLiteral("更新に失敗しました")});

    db.dm().IBDB2.close();
    EXPECT_EQ(TempDatabase::countRows(db.path(), QStringLiteral("where BASYO = '館山'")), 1);
}

TEST(Connection, MissingFileGivesTheClientsMessageAndTheNextStatementRetries)
{
    ScriptedSeams seams;
    TempDatabase db(false);
    SqlQuery q(db.dm().IBDB2, db.dm().IBTr2);
    q.addSql(QStringLiteral("select max(CODENO) from FISH_DATA"));
    try {
        q.open();
        FAIL() << "opened a missing file";
    } catch (const kelpora::DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("KELPORA.FDB"))) << qPrintable(e.text());
        EXPECT_TRUE(e.text().contains(QStringLiteral("No such file"), Qt::CaseInsensitive)
            || e.text().contains(QStringLiteral("I/O error"), Qt::CaseInsensitive))
            << qPrintable(e.text());
    }
    EXPECT_FALSE(db.dm().IBDB2.connected());

    db.createFile();
    q.open();
    EXPECT_EQ(q.aggregateInteger(), 0);
    EXPECT_EQ(db.dm().IBDB2.databaseName(), QDir::currentPath() + QStringLiteral("/KELPORA.FDB"));
}
