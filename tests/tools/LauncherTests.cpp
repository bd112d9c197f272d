#include "BookFolder.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <csignal>

#include <unistd.h>

#include <gtest/gtest.h>

using kelpora::testing::BookFolder;
using kelpora::testing::ToolProcess;

namespace {

// The launcher as scripts/run.sh runs it, with a stand-in for the application that uses
// the book the way the application does (see BookUser.cpp).
class Launcher {
public:
    explicit Launcher(const QString& dataDir) : m_dataDir(dataDir) { }

    ToolProcess::Outcome run(const QStringList& appArgs, const QString& database = QString()) const
    {
        return ToolProcess::program(QStringLiteral(KELPORA_LAUNCHER_PATH), appArgs, QDir::tempPath(), environment(database));
    }

    QProcessEnvironment environment(const QString& database = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!database.isEmpty())
            env.insert(QStringLiteral("KELPORA_DATABASE"), database);
        env.insert(QStringLiteral("KELPORA_DATA_DIR"), m_dataDir);
        env.insert(QStringLiteral("KELPORA_APP"), QStringLiteral(KELPORA_BOOK_USER_PATH));
        env.insert(QStringLiteral("KELPORA_TOOLS_DIR"), QStringLiteral(KELPORA_TOOLS_DIR));
        return env;
    }

    QStringList backups() const
    {
        return QDir(m_dataDir + QStringLiteral("/backups")).entryList({QStringLiteral("*.fbk")}, QDir::Files);
    }
    QString book() const { return m_dataDir + QStringLiteral("/KELPORA.FDB"); }

private:
    QString m_dataDir;
};

} // namespace

TEST(Launcher, FirstStartMakesTheFolderAndAnEmptyBookAndRunsTheApplicationThere)
{
    BookFolder home(false);
    const Launcher launcher(home.file(QStringLiteral("share/kelpora")));
    const ToolProcess::Outcome first = launcher.run({QStringLiteral("browse")});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("browsed 0"))) << "the application found the new book in its folder";
    EXPECT_EQ(BookFolder::records(launcher.book()), 0);
    EXPECT_EQ(launcher.backups().size(), 1) << "a book with no backup yet gets one";
}

TEST(Launcher, LeavesABookNamedByTheEnvironmentToItsOwner)
{
    BookFolder shared;
    BookFolder home(false);
    const Launcher launcher(home.file(QStringLiteral("share/kelpora")));
    const ToolProcess::Outcome run = launcher.run({QStringLiteral("add")}, shared.book());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("added 21"))) << run.out.toStdString();
    EXPECT_EQ(BookFolder::records(shared.book()), 21);
    EXPECT_FALSE(QFile::exists(launcher.book())) << "no book of its own was made";
    EXPECT_TRUE(launcher.backups().isEmpty()) << "a named book is backed up by its owner, when asked";
}

TEST(Launcher, BacksUpAfterTheApplicationClosesOnlyWhenTheBookChanged)
{
    BookFolder data;
    const Launcher launcher(data.path());
    ASSERT_EQ(launcher.run({QStringLiteral("browse")}).exitCode, 0);
    ASSERT_EQ(launcher.backups().size(), 1);

    // Only looked at, in the record browser: no backup.
    const ToolProcess::Outcome looked = launcher.run({QStringLiteral("browse")});
    EXPECT_EQ(looked.exitCode, 0) << looked.err.toStdString();
    EXPECT_TRUE(looked.out.contains(QStringLiteral("browsed 20")));
    EXPECT_TRUE(looked.out.contains(QStringLiteral("変更がない"))) << looked.out.toStdString();
    EXPECT_EQ(launcher.backups().size(), 1);

    // A record entered: a backup, and the existing book was used, not replaced.
    const ToolProcess::Outcome entered = launcher.run({QStringLiteral("add")});
    EXPECT_EQ(entered.exitCode, 0) << entered.err.toStdString();
    EXPECT_TRUE(entered.out.contains(QStringLiteral("added 21")));
    EXPECT_TRUE(entered.out.contains(QStringLiteral("バックアップを作りました")));
    EXPECT_EQ(launcher.backups().size(), 2);
    EXPECT_EQ(BookFolder::records(launcher.book()), 21);
}

TEST(Launcher, PassesOnHowTheApplicationEnded)
{
    BookFolder data;
    const Launcher launcher(data.path());
    const ToolProcess::Outcome run = launcher.run({QStringLiteral("exit"), QStringLiteral("3")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(launcher.backups().size(), 1);
}

TEST(Launcher, MakesNoEmptyBookInAFolderThatHeldOneAndSaysWhereTheBookIs)
{
    BookFolder data;
    const Launcher launcher(data.path());
    ASSERT_EQ(launcher.run({QStringLiteral("add")}).exitCode, 0);
    // A restore of an old version cut short between its renames; then the same folder
    // with only its backups left.
    const QString aside = data.file(QStringLiteral("KELPORA-replaced-20260101-120000.FDB"));
    ASSERT_TRUE(QFile::rename(launcher.book(), aside));
    const ToolProcess::Outcome moved = launcher.run({QStringLiteral("browse")});
    EXPECT_EQ(moved.exitCode, 1);
    EXPECT_TRUE(moved.err.contains(QStringLiteral("空の釣果記録は作りません"))) << moved.err.toStdString();
    EXPECT_TRUE(moved.err.contains(aside)) << moved.err.toStdString();
    EXPECT_FALSE(QFile::exists(launcher.book()));
    ASSERT_TRUE(QFile::remove(aside));
    const ToolProcess::Outcome backedUp = launcher.run({QStringLiteral("browse")});
    EXPECT_EQ(backedUp.exitCode, 1);
    EXPECT_TRUE(backedUp.err.contains(QStringLiteral("kelpora-restore"))) << backedUp.err.toStdString();
    EXPECT_FALSE(QFile::exists(launcher.book()));
    EXPECT_EQ(launcher.backups().size(), 1);
}

TEST(Launcher, AHangupLikeAClosedTerminalStillLetsTheBackupBeMade)
{
    BookFolder data;
    const Launcher launcher(data.path());
    QProcess session;
    session.setProcessEnvironment(launcher.environment());
    session.setChildProcessModifier([] { ::setsid(); });
    session.start(QStringLiteral(KELPORA_LAUNCHER_PATH), {QStringLiteral("hold")});
    QByteArray said;
    while (!said.contains("held") && session.waitForReadyRead(60000))
        said += session.readAllStandardOutput();
    ASSERT_TRUE(said.contains("held"));
    // The terminal's hangup goes to every process of its session.
    ASSERT_EQ(::kill(-pid_t(session.processId()), SIGHUP), 0);
    QTest::qWait(200);
    session.closeWriteChannel();
    ASSERT_TRUE(session.waitForFinished(120000));
    EXPECT_EQ(session.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(session.exitCode(), 0) << session.readAllStandardError().constData();
    EXPECT_EQ(launcher.backups().size(), 1);
}
