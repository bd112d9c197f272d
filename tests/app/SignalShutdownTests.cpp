#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SqlQuery.h"
#include "support/RecordWriter.h"
#include "support/TempDatabase.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>

using namespace kelpora::testing;

namespace {

// Starts KELPORA in the book's folder with the browser open on it.
void startWithTheBookOpen(QProcess& app, const QString& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    app.setProcessEnvironment(env);
    app.setWorkingDirectory(dir);
    app.setProcessChannelMode(QProcess::SeparateChannels);
    app.start(QStringLiteral(KELPORA_SIGNAL_PROBE), {});
    ASSERT_TRUE(app.waitForStarted(10000));
    while (!app.canReadLine())
        ASSERT_TRUE(app.waitForReadyRead(30000)) << app.readAllStandardError().toStdString();
    ASSERT_EQ(app.readLine().trimmed(), QByteArray("ready"));
}

} // namespace

TEST(SignalShutdown, TermIntAndHupEndKelporaLikeItsCloseButtonAndReleaseTheBook)
{
    TempDatabase db;
    insertMinimal(db.dm(), 1);
    db.dm().IBDB2.close();

    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QProcess app;
        startWithTheBookOpen(app, db.dir());

        // While KELPORA holds the book, another one is told so in Japanese terms.
        kelpora::SqlQuery probe(db.dm().IBDB2, db.dm().IBTr2);
        probe.addSql(QStringLiteral("select count(*) from FISH_DATA"));
        try {
            probe.open();
            ADD_FAILURE() << "the book was not held";
        } catch (const kelpora::DbError& e) {
            EXPECT_EQ(e.cause(), kelpora::DbError::Cause::BookInUse) << qPrintable(e.text());
        }

        ::kill(pid_t(app.processId()), signal);
        // A hang guard, not a speed target.
        ASSERT_TRUE(app.waitForFinished(20000)) << "still running after signal " << signal;
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << "signal " << signal;
        EXPECT_EQ(app.exitCode(), 0) << "signal " << signal;

        // Detached and whole: the book opens and reads at once.
        EXPECT_EQ(TempDatabase::countRows(db.path()), 1);
    }
}
