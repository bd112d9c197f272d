#include "support/FirebirdServer.h"
#include "support/RecordWriter.h"
#include "support/ScriptedSeams.h"
#include "kit/ErrorHandler.h"
#include "bookcare/BookBackup.h"
#include "bookcare/BookRestore.h"
#include "bookcare/CatchDatabase.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using kelpora::SqlQuery;
using kelpora::testing::FirebirdServer;
using kelpora::testing::insertMinimal;
using kelpora::testing::ScriptedSeams;

namespace {

const QString kUpdateFailed = QStringLiteral("更新に失敗しました");

// A book on a server of the test's own, named by KELPORA_DATABASE as a household would.
class ServerBook : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = FirebirdServer::unavailable(); !why.isEmpty())
            GTEST_SKIP() << "no Firebird server to test against: " << qPrintable(why);
        server = std::make_unique<FirebirdServer>();
        ASSERT_TRUE(server->failure().isEmpty()) << qPrintable(server->failure());
        kelpora::bookcare::createCatchDatabase(server->bookName());
        qputenv("KELPORA_DATABASE", server->bookName().toUtf8());
    }
    void TearDown() override { qunsetenv("KELPORA_DATABASE"); }

    static int rows(TDM1& dm, const QString& where = QStringLiteral("1 = 1"))
    {
        SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("select count(*) from FISH_DATA where ") + where);
        q.open();
        return q.aggregateInteger();
    }

    static bool correct(TDM1& dm, int code, const QString& place)
    {
        SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("update FISH_DATA set BASYO = :parBASYO where CODENO = :parCODE"));
        q.bindText(QStringLiteral("parBASYO"), place);
        q.bindInteger(QStringLiteral("parCODE"), code);
        return dm.guardedWrite(q, kUpdateFailed);
    }

    ScriptedSeams seams;
    std::unique_ptr<FirebirdServer> server;
};

TEST_F(ServerBook, TwoComputersSeeEachOthersRecordsWhenTheyReadAgain)
{
    TDM1 desk;
    TDM1 laptop;

    SqlQuery browser(laptop.IBDB2, laptop.IBTr2);
    browser.addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
    browser.open();
    EXPECT_EQ(browser.rowCount(), 0);

    insertMinimal(desk, 1);
    browser.close();
    browser.open();
    ASSERT_EQ(browser.rowCount(), 1);
    EXPECT_EQ(browser.textAt(0, QStringLiteral("BASYO")), QStringLiteral("館山"));

    insertMinimal(laptop, 2, QStringLiteral("富津"));
    EXPECT_EQ(rows(desk), 2);
    EXPECT_EQ(desk.IBDB2.databaseName(), server->bookName());
    EXPECT_TRUE(desk.IBTr2.readCommitted());
    EXPECT_TRUE(seams.messages.informed.isEmpty()) << qPrintable(seams.messages.informed.join(u'\n'));
}

TEST_F(ServerBook, ACorrectionOfARecordBeingChangedElsewhereFailsAndTheNextOneGoesThrough)
{
    TDM1 desk;
    TDM1 laptop;
    insertMinimal(desk, 1);

    // The desk's change is executed but not yet committed: the laptop waits, then fails.
    SqlQuery held(desk.IBDB2, desk.IBTr2);
    held.addSql(QStringLiteral("update FISH_DATA set BASYO = '富津' where CODENO = 1"));
    held.execute();
    EXPECT_FALSE(correct(laptop, 1, QStringLiteral("勝山")));
    EXPECT_EQ(seams.messages.informed, QStringList{kUpdateFailed});

    desk.IBTr2.commitRetaining();
    EXPECT_TRUE(correct(laptop, 1, QStringLiteral("勝山")));
    EXPECT_EQ(rows(desk, QStringLiteral("BASYO = '勝山'")), 1);
}

TEST_F(ServerBook, AServerThatGoesAwayIsNamedAndTheNextStatementAttachesAgain)
{
    TDM1 dm;
    insertMinimal(dm, 1);

    server->stop();
    try {
        rows(dm);
        FAIL() << "a read from a stopped server succeeded";
    } catch (const kelpora::DbError& e) {
        EXPECT_EQ(e.cause(), kelpora::DbError::Cause::ServerUnreachable) << qPrintable(e.text());
        kelpora::reportError(std::current_exception());
    }
    ASSERT_EQ(seams.messages.errors.size(), 1);
    EXPECT_TRUE(seams.messages.errors[0].startsWith(QStringLiteral("釣果記録のサーバー localhost に接続できません。")))
        << qPrintable(seams.messages.errors[0]);

    EXPECT_FALSE(correct(dm, 1, QStringLiteral("勝山")));
    ASSERT_EQ(seams.messages.informed.size(), 1);
    EXPECT_TRUE(seams.messages.informed[0].startsWith(kUpdateFailed + QStringLiteral("\n釣果記録のサーバー localhost")));

    ASSERT_TRUE(server->start()) << qPrintable(server->failure());
    EXPECT_EQ(rows(dm), 1);
    EXPECT_TRUE(correct(dm, 1, QStringLiteral("勝山")));
    EXPECT_EQ(rows(dm, QStringLiteral("BASYO = '勝山'")), 1);
}

TEST_F(ServerBook, IsBackedUpHereAndRestoredThroughTheServer)
{
    {
        TDM1 dm;
        for (int code = 1; code <= 3; ++code)
            insertMinimal(dm, code);
    }
    QTemporaryDir here;
    using kelpora::bookcare::BookBackup;
    const BookBackup::Result backup = BookBackup::run(here.path(), {});
    EXPECT_EQ(backup.records, 3);
    EXPECT_TRUE(backup.file.startsWith(here.path() + QStringLiteral("/backups/"))) << qPrintable(backup.file);

    {
        TDM1 dm;
        SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("delete from FISH_DATA where CODENO > 1"));
        ASSERT_TRUE(dm.guardedWrite(q, QStringLiteral("失敗しました")));
    }
    using kelpora::bookcare::BookRestore;
    const BookRestore::Result restored = BookRestore::run(backup.file, here.path());
    EXPECT_EQ(restored.book, server->bookName());
    EXPECT_EQ(restored.records, 3);
    // What was on the server before is kept, as a backup where the tool ran.
    EXPECT_TRUE(QFileInfo(restored.replaced).isFile()) << qPrintable(restored.replaced);
    EXPECT_EQ(QFileInfo(restored.replaced).absolutePath(), here.path());

    TDM1 dm;
    EXPECT_EQ(rows(dm), 3);
}

} // namespace
