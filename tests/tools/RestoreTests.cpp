#include "BookFolder.h"
#include "BookHolder.h"
#include "ToolProcess.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BookBackup.h"
#include "bookcare/BookComparison.h"
#include "bookcare/BookConnection.h"
#include "bookcare/BookRestore.h"
#include "core/FirebirdService.h"

#include "core/Connection.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using kelpora::testing::BookFolder;
using kelpora::testing::BookHolder;
using kelpora::testing::ToolProcess;
using kelpora::bookcare::BackupCheck;
using kelpora::bookcare::BookBackup;

namespace {

QString backupOf(const BookFolder& folder)
{
    return BookBackup::run(folder.path(), {}).file;
}

QStringList replacedBooks(const BookFolder& folder)
{
    return QDir(folder.path()).entryList({QStringLiteral("KELPORA-replaced-*.FDB")}, QDir::Files);
}

} // namespace

TEST(Restore, BringsBackARecordDeletedByMistakeAndKeepsTheBookItReplaced)
{
    BookFolder folder;
    const QString backup = backupOf(folder);
    // The mistake: the maintenance window deletes record 10 (with its photos).
    folder.withDataModule([](TDM1& dm) {
        kelpora::SqlQuery q(dm.IBDB2, dm.IBTr2);
        q.addSql(QStringLiteral("delete from FISH_DATA where CODENO = 10"));
        EXPECT_TRUE(dm.guardedWrite(q, QStringLiteral("失敗しました")));
    });
    ASSERT_EQ(BookFolder::records(folder.book()), 19);

    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-restore", {backup, folder.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(BookFolder::records(folder.book()), 20);
    EXPECT_EQ(BookFolder::records(folder.book(), QStringLiteral("where CODENO = 10 and PHOTO1 is not null")), 1);

    // The book as it was, deletion and all, lies beside it under a name with the time.
    const QStringList replaced = replacedBooks(folder);
    ASSERT_EQ(replaced.size(), 1);
    EXPECT_TRUE(
        replaced.front().contains(QRegularExpression(QStringLiteral("^KELPORA-replaced-\\d{8}-\\d{6}\\.FDB$"))));
    EXPECT_EQ(BookFolder::records(folder.file(replaced.front())), 19);
    EXPECT_TRUE(run.out.contains(replaced.front()))
        << "the tool says where the old book went: " << run.out.toStdString();
    // Nothing else is left in the folder.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);
}

TEST(Restore, MakesTheBookInAFolderThatHasNone)
{
    BookFolder folder;
    const QString backup = backupOf(folder);
    BookFolder newComputer(false);
    const QString dir = newComputer.file(QStringLiteral("kelpora"));
    const kelpora::bookcare::BookRestore::Result r = kelpora::bookcare::BookRestore::run(backup, dir);
    EXPECT_TRUE(r.replaced.isEmpty());
    EXPECT_TRUE(r.checked);
    EXPECT_EQ(r.records, 20);
    EXPECT_EQ(BookFolder::records(QDir(dir).filePath(QStringLiteral("KELPORA.FDB"))), 20);
}

TEST(Restore, ReplacesABookThatCannotBeOpenedAnyMore)
{
    BookFolder folder;
    const QString backup = backupOf(folder);
    const QByteArray broken = BookFolder::readFile(folder.book()).left(20000);
    BookFolder::writeFile(folder.book(), broken);
    const kelpora::bookcare::BookRestore::Result r = kelpora::bookcare::BookRestore::run(backup, folder.path());
    EXPECT_EQ(BookFolder::records(folder.book()), 20);
    EXPECT_EQ(BookFolder::readFile(r.replaced), broken);
}

TEST(Restore, RefusesForeignAndDamagedFilesAndLeavesTheBookAsItWas)
{
    BookFolder folder;
    const QString backup = backupOf(folder);
    const QByteArray good = BookFolder::readFile(backup);

    BookFolder files(false);
    auto put = [&](const char* name, const QByteArray& bytes) {
        BookFolder::writeFile(files.file(QLatin1String(name)), bytes);
        return files.file(QLatin1String(name));
    };
    // A JPEG given the wrong name; the first part of a backup with its check record gone
    // and with it; a backup with one byte changed, caught by its check record; a backup
    // of some other database.
    const QString jpeg = put("photo.fbk", QByteArray("\xFF\xD8\xFF\xE0 not a backup at all"));
    const QString cut = put("cut.fbk", good.left(good.size() / 2));
    const QString cutChecked = put("cut-checked.fbk", good.left(good.size() / 2));
    QFile::copy(BackupCheck::pathFor(backup), BackupCheck::pathFor(cutChecked));
    QByteArray flipped = good;
    flipped[flipped.size() - 5000] = char(flipped[flipped.size() - 5000] ^ 0x55);
    const QString changed = put("changed.fbk", flipped);
    QFile::copy(BackupCheck::pathFor(backup), BackupCheck::pathFor(changed));
    const QString otherDb = files.file(QStringLiteral("other.fdb"));
    kelpora::Connection::createBook(otherDb, false);
    const QString other = files.file(QStringLiteral("other.fbk"));
    kelpora::FirebirdService::backup(otherDb, other);

    // The tool holds the book while it works (which rewrites the engine's header page),
    // so "as it was" is its records, compared value for value with a copy made now.
    BookFolder before(false);
    ASSERT_TRUE(QFile::copy(folder.book(), before.book()));
    const QStringList listing = folder.listing();
    for (const QString& bad : {jpeg, cut, cutChecked, changed, other}) {
        SCOPED_TRACE(bad.toStdString());
        const ToolProcess::Outcome run = ToolProcess::tool("kelpora-restore", {bad, folder.path()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("バックアップとして使えません"))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
        kelpora::bookcare::BookConnection book(folder.book());
        kelpora::bookcare::BookConnection copy(before.book());
        EXPECT_TRUE(kelpora::bookcare::BookComparison::compare(book, copy).same());
        EXPECT_EQ(folder.listing(), listing);
    }
}

TEST(Restore, RefusesWhileTheBookIsHeldOpen)
{
    BookFolder folder;
    const QString backup = backupOf(folder);
    BookHolder holder(folder.path());
    ASSERT_TRUE(holder.holding());
    const QStringList listing = folder.listing();
    const ToolProcess::Outcome run = ToolProcess::tool("kelpora-restore", {backup, folder.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("開いています"))) << run.err.toStdString();
    EXPECT_EQ(folder.listing(), listing);
    EXPECT_EQ(ToolProcess::tool("kelpora-restore", {}).exitCode, 2);
}
