#include "bookcare/BookRestore.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BookConnection.h"
#include "bookcare/BookInUseError.h"
#include "bookcare/FileSync.h"
#include "core/FirebirdService.h"
#include "bookcare/RecordCursor.h"

#include "core/BookLocation.h"
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
qint64 restoreAndCheck(const QString& backup, const QString& restored, const std::optional<BackupCheck>& check)
{
    try {
        FirebirdService::restore(backup, restored);
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
            ++records;
    } catch (const Error& e) {
        throw unreadable(backup, e.text());
    }
    if (check && records != check->records)
        throw unreadable(backup, QStringLiteral("記録の数がバックアップを作ったときの検査記録と一致しません"));
    return records;
}

QString replacedName(const QDir& dir, const QString& extension = QStringLiteral("FDB"))
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int sequence = 1;; ++sequence) {
        const QString name = sequence == 1
            ? QStringLiteral("KELPORA-replaced-%1.%2").arg(stamp, extension)
            : QStringLiteral("KELPORA-replaced-%1-%2.%3").arg(stamp).arg(sequence).arg(extension);
        if (!QFileInfo::exists(dir.absoluteFilePath(name)))
            return dir.absoluteFilePath(name);
    }
}

// Whether the server has the book: it says so only by failing to open it.
bool serverHasBook(const QString& book)
{
    try {
        BookConnection probe(book);
        return true;
    } catch (const DbError& e) {
        if (e.cause() == DbError::Cause::NoBook)
            return false;
        throw;
    }
}

// The backup is checked here first, by the embedded engine in a scratch folder; the
// server then restores it from this computer's file. A book already on the server is
// first backed up into dir, so a restore never loses what was there.
BookRestore::Result restoreOnServer(const QString& backup, const QDir& dir, const QString& book)
{
    BookRestore::Result result;
    result.book = book;
    std::optional<BackupCheck> check = BackupCheck::read(BackupCheck::pathFor(backup));
    if (check && BackupCheck::hashFile(backup) != check->fileHash)
        throw unreadable(backup, QStringLiteral("ファイルがバックアップを作ったときの検査記録と一致しません"));
    result.checked = check.has_value();
    {
        QTemporaryDir scratch(dir.absoluteFilePath(QStringLiteral(".restore-XXXXXX")));
        if (!scratch.isValid())
            throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir.path())));
        result.records = restoreAndCheck(backup, scratch.filePath(QLatin1String(TDM1::kFileName)), check);
    }
    if (serverHasBook(book)) {
        result.replaced = replacedName(dir, QStringLiteral("fbk"));
        FirebirdService::backup(book, result.replaced);
        try {
            FirebirdService::replaceOnServer(backup, book);
        } catch (const DbError& e) {
            throw Error(QStringLiteral("サーバーの釣果記録 %1 を置き換えられません（%2）。釣果記録を開いているアプリを"
                                       "すべて閉じてからもう一度実行してください。それまでの釣果記録は %3 にも"
                                       "バックアップしました。")
                            .arg(book, e.text(), QDir::toNativeSeparators(result.replaced)));
        }
    } else {
        FirebirdService::restore(backup, book);
    }
    BookConnection restored(book);
    if (!restored.isOnline())
        throw unreadable(backup, QStringLiteral("サーバーでの復元が途中で終わりました"));
    return result;
}

} // namespace

BookRestore::Result BookRestore::run(const QString& backup, const QString& dirPath)
{
    if (!QFileInfo(backup).isFile())
        throw Error(QStringLiteral("バックアップファイル %1 がありません。").arg(QDir::toNativeSeparators(backup)));
    const QString named = BookLocation::databaseName(QFileInfo(dirPath).absoluteFilePath());
    const bool onServer = BookLocation::isServerBook(named);
    // The scratch files and the book moved aside stay beside the book, where a rename
    // can reach; for a server book, where the tool runs.
    const QDir dir(onServer ? QFileInfo(dirPath).absoluteFilePath() : QFileInfo(named).absolutePath());
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(dir.path())));
    if (onServer)
        return restoreOnServer(backup, dir, named);
    Result result;
    result.book = named;

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
    result.records = restoreAndCheck(backup, restored, check);
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
