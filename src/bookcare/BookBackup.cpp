#include "bookcare/BookBackup.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BackupFolder.h"
#include "bookcare/BookComparison.h"
#include "bookcare/BookConnection.h"
#include "bookcare/ChangeStamp.h"
#include "bookcare/FileSync.h"
#include "core/FirebirdService.h"

#include "core/BookLocation.h"
#include "core/DM_1.h"
#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace kelpora::bookcare {

namespace {

// Restores the backup beside itself and lays it next to the book. The book is held
// all the while, so nothing can change it between the backup and the comparison.
BookComparison checkAgainstBook(BookConnection& book, const QString& backup, const QString& folder)
{
    QTemporaryDir scratch(
        QDir(folder).filePath(QLatin1String(BackupFolder::kCheckFolderPrefix) + QStringLiteral("XXXXXX")));
    if (!scratch.isValid())
        throw Error(QStringLiteral("検査用の一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(folder)));
    const QString restored = scratch.filePath(QLatin1String(TDM1::kFileName));
    try {
        FirebirdService::restore(backup, restored);
    } catch (const DbError& e) {
        return {0, QStringLiteral("復元できません: %1").arg(e.text())};
    }
    BookConnection copy(restored);
    if (!copy.isOnline())
        return {0, QStringLiteral("復元が途中で終わりました")};
    return BookComparison::compare(book, copy);
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
    const QString target = folder.newBackupPath(now);
    folder.removeLeftovers();
    const QString unfinished = target + QLatin1String(BackupFolder::kUnfinishedSuffix);
    auto cleanup = qScopeGuard([&unfinished] { QFile::remove(unfinished); });

    FirebirdService::backup(bookPath, unfinished);
    const BookComparison result = checkAgainstBook(book, unfinished, folder.path());
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
