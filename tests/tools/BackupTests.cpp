#include "BookFolder.h"
#include "BookHolder.h"
#include "ToolProcess.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BackupFolder.h"
#include "bookcare/BookBackup.h"
#include "bookcare/BookComparison.h"
#include "bookcare/BookConnection.h"
#include "bookcare/BookInUseError.h"
#include "core/FirebirdService.h"
#include "support/RecordWriter.h"
#include "support/TempDatabase.h"

#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <unistd.h>

#include <gtest/gtest.h>

using kelpora::testing::BookFolder;
using kelpora::testing::BookHolder;
using kelpora::testing::ToolProcess;
using kelpora::bookcare::BackupCheck;
using kelpora::bookcare::BackupFolder;
using kelpora::bookcare::BookBackup;
using kelpora::bookcare::BookComparison;
using kelpora::bookcare::BookConnection;

namespace {

BookBackup::Result backup(const BookFolder& folder, bool onlyIfChanged = false)
{
    BookBackup::Options options;
    options.onlyIfChanged = onlyIfChanged;
    return BookBackup::run(folder.path(), options);
}

QStringList backupFiles(const BookFolder& folder)
{
    return QDir(folder.file(QStringLiteral("backups"))).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(Backup, IsCheckedByRestoringItAndHoldsEveryRecord)
{
    BookFolder folder;
    const BookBackup::Result made = backup(folder);
    EXPECT_EQ(made.outcome, BookBackup::Outcome::Made);
    EXPECT_EQ(made.records, 20);
    EXPECT_TRUE(
        QFileInfo(made.file).fileName().contains(QRegularExpression(QStringLiteral("^KELPORA-\\d{8}-\\d{6}\\.fbk$"))));

    const auto check = BackupCheck::read(BackupCheck::pathFor(made.file));
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(check->records, 20);
    EXPECT_EQ(check->fileHash, BackupCheck::hashFile(made.file));
    // Nothing of the check's scratch work is left behind.
    EXPECT_EQ(backupFiles(folder),
        (QStringList{QFileInfo(made.file).fileName(), QFileInfo(made.file).fileName() + QStringLiteral(".check")}));
    EXPECT_EQ(QDir(folder.file(QStringLiteral("backups")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .size(),
        2);

    // Restored on its own, the backup is the book, value for value and picture for picture.
    BookFolder elsewhere(false);
    kelpora::FirebirdService::restore(made.file, elsewhere.book());
    BookConnection book(folder.book());
    BookConnection copy(elsewhere.book());
    const BookComparison same = BookComparison::compare(book, copy);
    EXPECT_TRUE(same.same()) << same.difference.toStdString();
    EXPECT_EQ(same.records, 20);
}

TEST(Backup, ComparisonFindsEveryKindOfDifference)
{
    BookFolder folder;
    // Each change on a fresh copy of the same book.
    auto differenceAfter = [&](const QString& sql) {
        BookFolder other;
        other.execute(sql);
        BookConnection a(folder.book());
        BookConnection b(other.book());
        return BookComparison::compare(a, b).difference;
    };
    EXPECT_EQ(differenceAfter(QStringLiteral("update FISH_DATA set FISH2 = '' where CODENO = 7 and FISH2 is null")),
        QStringLiteral("記録 7 の FISH2 が違います"));
    EXPECT_EQ(differenceAfter(QStringLiteral("update FISH_DATA set PHOTO1 = PHOTO1 || 'x' where CODENO = 10")),
        QStringLiteral("記録 10 の PHOTO1 が違います"));
    EXPECT_EQ(differenceAfter(QStringLiteral("update FISH_DATA set NEW_1_S = NEW_1_S + 1 where CODENO = 20")),
        QStringLiteral("記録 20 の NEW_1_S が違います"));
    EXPECT_EQ(differenceAfter(QStringLiteral("delete from FISH_DATA where CODENO = 20")),
        QStringLiteral("記録の数が違います（20 件と 19 件）"));
    EXPECT_TRUE(differenceAfter(QStringLiteral("update FISH_DATA set TENNKI = TENNKI")).isEmpty());
}

TEST(Backup, IsMadeAgainOnlyWhenTheBookChanged)
{
    BookFolder folder;
    const BookBackup::Result first = backup(folder, true);
    EXPECT_EQ(first.outcome, BookBackup::Outcome::Made) << "with no backup yet, there must be one";

    // Looking at the book through the application's data module changes nothing that counts.
    folder.withDataModule([](TDM1& dm) {
        kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("select *  from FISH_DATA  order by CODENO  "));
        q.open();
        q.moveTo(9);
        EXPECT_FALSE(q.fieldBlob(QStringLiteral("PHOTO1")).isEmpty());
    });
    EXPECT_EQ(backup(folder, true).outcome, BookBackup::Outcome::Unchanged);
    EXPECT_EQ(backupFiles(folder).size(), 2);

    const QStringList changes{QStringLiteral("update FISH_DATA set TENNKI = '雨' where CODENO = 4"),
        QStringLiteral("delete from FISH_DATA where CODENO = 5"),
        QStringLiteral("insert into FISH_DATA (CODENO, DAY_DATA, BASYO, FISH1) values (21, '2026/06/01', 'X', 'Y')")};
    for (const QString& change : changes) {
        SCOPED_TRACE(change.toStdString());
        folder.execute(change);
        const BookBackup::Result again = backup(folder, true);
        EXPECT_EQ(again.outcome, BookBackup::Outcome::Made);
        EXPECT_EQ(backup(folder, true).outcome, BookBackup::Outcome::Unchanged);
    }
    EXPECT_EQ(backupFiles(folder).size(), 8);
    // Without --if-changed a backup is always made; two in one second get distinct names.
    EXPECT_EQ(backup(folder).outcome, BookBackup::Outcome::Made);
    EXPECT_EQ(backup(folder).outcome, BookBackup::Outcome::Made);
    EXPECT_EQ(backupFiles(folder).size(), 12);
}

TEST(Backup, TwentyOneBackupsLeaveTheTwentyNewest)
{
    BookFolder folder;
    const BookBackup::Result first = backup(folder);
    // Twenty older good backups, as twenty earlier days would have left them, and one
    // foreign file without a check record, which is not the tool's to remove.
    const QString dir = folder.file(QStringLiteral("backups"));
    for (int day = 1; day <= 20; ++day) {
        const QString name = QStringLiteral("%1/KELPORA-202501%2-080000.fbk").arg(dir).arg(day, 2, 10, QChar(u'0'));
        ASSERT_TRUE(QFile::copy(first.file, name));
        ASSERT_TRUE(QFile::copy(BackupCheck::pathFor(first.file), BackupCheck::pathFor(name)));
    }
    ASSERT_TRUE(QFile::copy(first.file, dir + QStringLiteral("/KELPORA-20240101-000000.fbk")));
    QFile::remove(first.file);
    QFile::remove(BackupCheck::pathFor(first.file));

    const BookBackup::Result made = backup(folder);
    ASSERT_EQ(made.outcome, BookBackup::Outcome::Made);
    EXPECT_EQ(made.removed, (QStringList{dir + QStringLiteral("/KELPORA-20250101-080000.fbk")}));
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.fbk")}, QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 21);
    EXPECT_EQ(files.front(), QStringLiteral("KELPORA-20240101-000000.fbk"));
    EXPECT_EQ(files[1], QStringLiteral("KELPORA-20250102-080000.fbk"));
    EXPECT_EQ(files.back(), QFileInfo(made.file).fileName());
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/KELPORA-20250101-080000.fbk.check")));
}

TEST(Backup, NeverRemovesTheOnlyGoodBackup)
{
    BookFolder folder;
    const BookBackup::Result made = backup(folder);
    EXPECT_TRUE(BackupFolder(folder.path()).prune(0).isEmpty());
    EXPECT_TRUE(QFile::exists(made.file));
    BookBackup::Options keepNone;
    keepNone.keep = 0;
    const BookBackup::Result next = BookBackup::run(folder.path(), keepNone);
    EXPECT_EQ(next.removed, QStringList{made.file});
    EXPECT_TRUE(QFile::exists(next.file));
}

TEST(Backup, RefusesABookHeldOpenAndChangesNothing)
{
    BookFolder folder;
    BookHolder holder(folder.path());
    ASSERT_TRUE(holder.holding());
    const QByteArray before = BookFolder::fileHash(folder.book());
    const QStringList listing = folder.listing();

    EXPECT_THROW(backup(folder), kelpora::bookcare::BookInUseError);
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-backup", {folder.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.count(u'\n'), 1) << "one line: " << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("開いています"))) << run.err.toStdString();
    EXPECT_EQ(BookFolder::fileHash(folder.book()), before);
    EXPECT_EQ(folder.listing(), listing);

    holder.release();
    const ToolProcess::Outcome after = ToolProcess::tool("kelpora-backup", {folder.path()});
    EXPECT_EQ(after.exitCode, 0) << after.err.toStdString();
    EXPECT_TRUE(after.out.contains(QStringLiteral("バックアップを作りました")));
}

TEST(Backup, ToolSaysWhatIsWrongWithAFolderWithoutABook)
{
    BookFolder empty(false);
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-backup", {empty.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("がありません"))) << run.err.toStdString();
    EXPECT_TRUE(empty.listing().isEmpty());
    EXPECT_EQ(ToolProcess::tool("kelpora-backup", {QStringLiteral("--bogus")}).exitCode, 2);
}

TEST(Backup, PruningKeepsTheLastBackupsThatHoldRecordsAfterTheBookIsEmptied)
{
    BookFolder folder;
    const BookBackup::Result real = backup(folder);
    const QString dir = folder.file(QStringLiteral("backups"));
    const auto check = BackupCheck::read(BackupCheck::pathFor(real.file));
    ASSERT_TRUE(check.has_value());
    QFile::remove(real.file);
    QFile::remove(BackupCheck::pathFor(real.file));
    const QDateTime now(QDate(2026, 6, 30), QTime(12, 0));
    auto put = [&](const QDateTime& made, qint64 records) {
        const QString path = QStringLiteral("%1/KELPORA-%2.fbk").arg(dir, made.toString(QStringLiteral("yyyyMMdd-HHmmss")));
        BookFolder::writeFile(path, "stand-in");
        BackupCheck c = *check;
        c.records = records;
        c.write(BackupCheck::pathFor(path));
        return QFileInfo(path).fileName();
    };
    // Two years of a growing book, then a book emptied by mistake and used (and backed
    // up) daily for forty days.
    QStringList full;
    for (int month = 24; month >= 2; --month)
        full << put(now.addMonths(-month), 100 - month);
    QStringList empty;
    for (int day = 40; day >= 1; --day)
        empty << put(now.addDays(-day), 0);

    BackupFolder(folder.path()).prune(20, now);
    const QStringList left = QDir(dir).entryList({QStringLiteral("*.fbk")}, QDir::Files, QDir::Name);
    EXPECT_TRUE(left.contains(full.back())) << "the last backup before the drop, also the one with most records";
    for (const QString& name : empty.mid(20))
        EXPECT_TRUE(left.contains(name)) << "the 20 newest";
    EXPECT_FALSE(left.contains(empty[1])) << "an older empty one of a month with a newer backup";
    EXPECT_FALSE(left.contains(full.front())) << "over a year old and not before a drop";
    EXPECT_TRUE(left.contains(full[full.size() - 6])) << "one a month for a year";
    EXPECT_EQ(QDir(dir).entryList({QStringLiteral("*.check")}, QDir::Files).size(), left.size());
}

TEST(Backup, IsItsOwnersAloneAndClearsWhatCutShortRunsLeft)
{
    BookFolder folder;
    const QString dir = folder.file(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/.check-abc123")));
    QFile::setPermissions(dir, QFile::Permissions(0x7755));
    BookFolder::writeFile(dir + QStringLiteral("/KELPORA-20200101-000000.fbk.check"), "orphan");
    BookFolder::writeFile(dir + QStringLiteral("/KELPORA-20200101-000001.fbk.part"), "unfinished");
    for (const char* scratch : {".restore-abc123", ".import-def456"}) {
        ASSERT_TRUE(QDir().mkpath(folder.file(QLatin1String(scratch))));
        BookFolder::writeFile(folder.file(QLatin1String(scratch) + QStringLiteral("/KELPORA.FDB")), "half a book");
    }
    ASSERT_TRUE(QFile::link(folder.book(), folder.file(QStringLiteral("KELPORA-replaced-20200101-000000.FDB"))));
    ::link(QFile::encodeName(folder.book()).constData(),
        QFile::encodeName(folder.file(QStringLiteral("KELPORA-replaced-20200102-000000.FDB"))).constData());

    const BookBackup::Result made = backup(folder);
    QStringList listing = folder.listing();
    EXPECT_EQ(listing,
        (QStringList{QStringLiteral("KELPORA-replaced-20200101-000000.FDB"), QStringLiteral("KELPORA.FDB"),
            QStringLiteral("backups"), QStringLiteral("backups/") + QFileInfo(made.file).fileName(),
            QStringLiteral("backups/") + QFileInfo(made.file).fileName() + QStringLiteral(".check")}))
        << "a symbolic link is not the book's second name; a hard link is";
    EXPECT_EQ(QFileInfo(dir).permissions() & 0x0777, QFile::Permissions(0x0700));
    for (const QString& file : {made.file, BackupCheck::pathFor(made.file)})
        EXPECT_EQ(QFileInfo(file).permissions() & 0x0777, QFile::Permissions(0x0600)) << file.toStdString();
}

TEST(Backup, AFullDiskIsNamedAndLeavesNoBackup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs for the full disk";
    BookFolder outer(false);
    const QString disk = outer.file(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(disk));
    if (ToolProcess::program(QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), QStringLiteral("size=7m"),
                QStringLiteral("tmpfs"), disk})
            .exitCode
        != 0)
        GTEST_SKIP() << "mount -t tmpfs is not allowed here";
    auto unmount = qScopeGuard([&] { ToolProcess::program(QStringLiteral("umount"), {disk}); });
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELPORA_TEST_DEMO_BOOK), disk + QStringLiteral("/KELPORA.FDB")));
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-backup", {disk});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("ディスクの空きがありません"))) << run.err.toStdString();
    EXPECT_TRUE(QDir(disk + QStringLiteral("/backups")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
