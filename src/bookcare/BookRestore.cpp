#include "bookcare/BookRestore.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BookConnection.h"
#include "bookcare/BookInUseError.h"
#include "bookcare/FileSync.h"
#include "core/FirebirdService.h"
#include "bookcare/RecordCursor.h"

#include "core/DM_1.h"
#include "core/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace kelpora::bookcare {

namespace {

Error unreadable(const QString& backup, const QString& why)
{
    return Error(QStringLiteral("%1 は釣果記録のバックアップとして使えません（%2）。釣果記録は元のままです。")
                     .arg(QDir::toNativeSeparators(backup), why));
}

// Restores into restored and checks the result; throws Error saying why it is no good.
qint64 restoreAndCheck(
    const QString& backup, const QString& restored, const std::optional<BackupCheck>& check, const Progress& progress)
{
    try {
        FirebirdService::restore(backup, restored, [&progress](qint64 n) { progress(Progress::Step::Restoring, n); });
    } catch (const DbError& e) {
        throw unreadable(backup, e.text());
    }
    BookConnection copy(restored);
    if (!copy.isOnline())
        throw unreadable(backup, QStringLiteral("ファイルが途中で切れているか壊れています"));
    try {
        copy.requireCatchTable();
    } catch (const Error&) {
        throw unreadable(backup, QStringLiteral("釣果記録の FISH_DATA 表がありません"));
    }
    // Every record and picture read once: what the application will read must be there.
    qint64 records = 0;
    try {
        RecordCursor cursor(copy);
        while (cursor.next())
            progress(Progress::Step::Reading, ++records);
    } catch (const Error& e) {
        throw unreadable(backup, e.text());
    }
    if (check && records != check->records)
        throw unreadable(backup, QStringLiteral("記録の数がバックアップを作ったときの検査記録と一致しません"));
    return records;
}

QString replacedName(const QDir& dir)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int sequence = 1;; ++sequence) {
        const QString name = sequence == 1 ? QStringLiteral("KELPORA-replaced-%1.FDB").arg(stamp)
                                           : QStringLiteral("KELPORA-replaced-%1-%2.FDB").arg(stamp).arg(sequence);
        if (!QFileInfo::exists(dir.absoluteFilePath(name)))
            return dir.absoluteFilePath(name);
    }
}

} // namespace

BookRestore::Result BookRestore::run(const QString& backup, const QString& dirPath, const Progress& progress)
{
    if (!QFileInfo(backup).isFile())
        throw Error(QStringLiteral("バックアップファイル %1 がありません。").arg(QDir::toNativeSeparators(backup)));
    const QDir dir(QFileInfo(dirPath).absoluteFilePath());
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(dir.path())));
    Result result;
    result.book = dir.absoluteFilePath(QLatin1String(TDM1::kFileName));

    // Held from before the restore until the swap, so the application cannot open the
    // old book in between and write to a file that is about to be moved aside.
    // A book that cannot be opened at all (a broken disk, say) is what a restore is for:
    // it is moved aside all the same.
    std::unique_ptr<BookConnection> old;
    const bool hadBook = QFileInfo::exists(result.book);
    if (hadBook) {
        try {
            old = std::make_unique<BookConnection>(result.book);
        } catch (const BookInUseError&) {
            throw;
        } catch (const Error&) { }
    }

    std::optional<BackupCheck> check = BackupCheck::read(BackupCheck::pathFor(backup));
    if (check && BackupCheck::hashFile(backup) != check->fileHash)
        throw unreadable(backup, QStringLiteral("ファイルがバックアップを作ったときの検査記録と一致しません"));
    result.checked = check.has_value();

    QTemporaryDir scratch(dir.absoluteFilePath(QStringLiteral(".restore-XXXXXX")));
    if (!scratch.isValid())
        throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir.path())));
    const QString restored = scratch.filePath(QLatin1String(TDM1::kFileName));
    result.records = restoreAndCheck(backup, restored, check, progress);
    syncFile(restored);

    if (hadBook) {
        result.replaced = replacedName(dir);
        if (!QFile::rename(result.book, result.replaced))
            throw Error(QStringLiteral("%1 を %2 に移せません。釣果記録は元のままです。")
                            .arg(QDir::toNativeSeparators(result.book), QDir::toNativeSeparators(result.replaced)));
    }
    if (!QFile::rename(restored, result.book)) {
        if (hadBook)
            QFile::rename(result.replaced, result.book);
        throw Error(QStringLiteral("復元した釣果記録を %1 に置けません。釣果記録は元のままです。")
                        .arg(QDir::toNativeSeparators(result.book)));
    }
    syncDirectory(dir.path());
    return result;
}

} // namespace kelpora::bookcare
