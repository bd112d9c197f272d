#include "BookFolder.h"
#include "BookHolder.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using kelpora::testing::BookFolder;
using kelpora::testing::BookHolder;
using kelpora::testing::ToolProcess;

namespace {

QProcessEnvironment withLockFolder(const QString& folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FIREBIRD_LOCK"), folder);
    return env;
}

constexpr const char* kSecondUser = "kelpora-second-user";

// An unprivileged account of the machine's own, made once when the test runs as root.
const passwd* secondUser()
{
    if (!getpwnam(kSecondUser))
        ToolProcess::program(QStringLiteral("useradd"),
            {QStringLiteral("--system"), QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                QStringLiteral("/usr/sbin/nologin"), QLatin1String(kSecondUser)});
    return getpwnam(kSecondUser);
}

} // namespace

TEST(EngineLockFolder, ProcessesGivenDifferentFoldersStillExcludeEachOtherOnOneBook)
{
    BookFolder folder;
    QTemporaryDir first;
    QTemporaryDir second;
    BookHolder holder(folder.path(), withLockFolder(first.path()));
    ASSERT_TRUE(holder.holding());
    const ToolProcess::Outcome run = ToolProcess::program(
        ToolProcess::toolPath("kelpora-backup"), {folder.path()}, QString(), withLockFolder(second.path()));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("開いています"))) << run.err.toStdString();
    EXPECT_FALSE(QDir(folder.file(QStringLiteral("backups"))).exists());
}

TEST(EngineLockFolder, ASecondUserWorksAfterRootHasUsedTheEngine)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a second user; run as root to test the engine's lock folder across users";
    // What root's use of the engine leaves: the engine's default folder, which only root
    // may enter, and root's own.
    if (!QFileInfo::exists(QStringLiteral("/tmp/firebird"))) {
        ASSERT_EQ(::mkdir("/tmp/firebird", 0770), 0);
    }
    BookFolder rootBook;
    QProcessEnvironment rootEnv = QProcessEnvironment::systemEnvironment();
    rootEnv.remove(QStringLiteral("FIREBIRD_LOCK"));
    ASSERT_EQ(
        ToolProcess::program(ToolProcess::toolPath("kelpora-backup"), {rootBook.path()}, QString(), rootEnv).exitCode,
        0);
    const passwd* user = secondUser();
    ASSERT_NE(user, nullptr) << "useradd failed";

    BookFolder theirs;
    QTemporaryDir home;
    for (const QString& path : {theirs.path(), theirs.book(), home.path()})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FIREBIRD_LOCK"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("HOME"), home.path());
    const ToolProcess::Outcome run = ToolProcess::program(QStringLiteral("runuser"),
        {QStringLiteral("--preserve-environment"), QStringLiteral("-u"), QLatin1String(kSecondUser), QStringLiteral("--"),
            ToolProcess::toolPath("kelpora-backup"), theirs.path()},
        QString(), env);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("バックアップを作りました"))) << run.out.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(home.filePath(QStringLiteral(".cache/kelpora-firebird"))).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, user->pw_uid);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}
