#include "bookcare/BookBackup.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BackupFolder.h"
#include "bookcare/BookComparison.h"
#include "bookcare/BookConnection.h"
#include "bookcare/ChangeStamp.h"
#include "bookcare/DiskSpace.h"
#include "bookcare/FileSync.h"
#include "bookcare/Leftovers.h"
#include "core/FirebirdService.h"

#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace kelpora::bookcare {

namespace {

// Restores the backup beside itself and lays it next to the book. The book is held
// all the while, so nothing can change it between the backup and the comparison.
BookComparison compareRestored(
    BookConnection& book, const QString& backup, const QString& restored, const Progress& progress)
{
    try {
        FirebirdService::restore(backup, restored, [&progress](qint64 n) { progress(Progress::Step::Restoring, n); });
    } catch (const DbError& e) {
        return {0, QStringLiteral("復元できません: %1").arg(e.text())};
    }
    if (!QFileInfo::exists(restored))
        return {0, QStringLiteral("復元できません")};
    BookConnection copy(restored);
    if (!copy.isOnline())
        return {0, QStringLiteral("復元が途中で終わりました")};
    return BookComparison::compare(book, copy, [&progress](qint64 n) { progress(Progress::Step::Comparing, n); });
}

BookComparison checkAgainstBook(
    BookConnection& book, const QString& backup, const QString& folder, const Progress& progress)
{
    QTemporaryDir scratch(
        QDir(folder).filePath(QLatin1String(BackupFolder::kCheckFolderPrefix) + QStringLiteral("XXXXXX")));
    if (!scratch.isValid())
        throw Error(QStringLiteral("検査用の一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(folder)));
    const BookComparison result
        = compareRestored(book, backup, scratch.filePath(QLatin1String(TDM1::kFileName)), progress);
    // Asked while the restored copy still takes up its room.
    if (!result.same() && diskIsFull(folder))
        throw diskFullError(folder);
    return result;
}

// The engine writes the backup file with the process's own file mode; it is made the
// owner's alone before it holds anything worth reading.
void makePrivate(const QString& path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Backup and check both write a file as big as the book, and a disk that fills up
// shows in the engine's English or, worse, as a check that "differs": it is named
// for what it is.
BookComparison backUpAndCheck(
    BookConnection& book, const QString& unfinished, const QString& folder, const Progress& progress)
{
    try {
        FirebirdService::backup(
            book.path(), unfinished, [&progress](qint64 n) { progress(Progress::Step::Writing, n); });
    } catch (const Error&) {
        if (diskIsFull(folder))
            throw diskFullError(folder);
        throw;
    }
    makePrivate(unfinished);
    return checkAgainstBook(book, unfinished, folder, progress);
}

} // namespace

BookBackup::Result BookBackup::run(const QString& dir, const Options& options)
{
    const QString bookPath = BookLocation::databaseName(dir);
    BookConnection book(bookPath);
    const QByteArray stamp = changeStamp(book);

    const BackupFolder folder(dir);
    if (options.onlyIfChanged) {
        if (const auto newest = folder.newestChecked()) {
            const auto check = BackupCheck::read(BackupCheck::pathFor(newest->path));
            if (check && check->stamp == stamp)
                return {Outcome::Unchanged, newest->path, check->records, {}};
        }
    }

    const QDateTime now = QDateTime::currentDateTime();
    removeLeftovers(dir);
    const QString target = folder.newBackupPath(now);
    const QString unfinished = target + QLatin1String(BackupFolder::kUnfinishedSuffix);
    auto cleanup = qScopeGuard([&unfinished] { QFile::remove(unfinished); });

    const BookComparison result = backUpAndCheck(book, unfinished, folder.path(), options.progress);
    if (!result.same())
        throw Error(QStringLiteral("バックアップを検査したところ、釣果記録と違いました（%1）。"
                                   "このバックアップは削除しました。")
                        .arg(result.difference));

    BackupCheck check;
    check.made = now;
    check.records = result.records;
    check.stamp = stamp;
    syncFile(unfinished);
    check.fileHash = BackupCheck::hashFile(unfinished);
    check.write(BackupCheck::pathFor(target));
    if (!QFile::rename(unfinished, target)) {
        QFile::remove(BackupCheck::pathFor(target));
        throw Error(QStringLiteral("バックアップを %1 に置けません。").arg(QDir::toNativeSeparators(target)));
    }
    cleanup.dismiss();
    syncDirectory(folder.path());
    return {Outcome::Made, target, result.records, folder.prune(options.keep)};
}

} // namespace kelpora::bookcare
