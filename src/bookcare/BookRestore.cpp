#include "bookcare/BookRestore.h"

#include "bookcare/BackupCheck.h"
#include "bookcare/BookConnection.h"
#include "bookcare/BookInUseError.h"
#include "bookcare/DiskSpace.h"
#include "bookcare/FaultPoint.h"
#include "bookcare/FileSync.h"
#include "bookcare/Leftovers.h"
#include "bookcare/StallWatch.h"
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

#include <cstdio>
#include <unistd.h>

#include <memory>
#include <optional>

namespace kelpora::bookcare {

namespace {

Error unreadable(const QString& backup, const QString& why)
{
    return Error(QStringLiteral("%1 は釣果記録のバックアップとして使えません（%2）。釣果記録は元のままです。")
                     .arg(QDir::toNativeSeparators(backup), why));
}

// The backup's check record when one lies beside it. A garbled one, or a backup that no
// longer matches its record, refuses the backup: for a book restored locally and on a
// server alike.
std::optional<BackupCheck> verifiedCheck(const QString& backup)
{
    std::optional<BackupCheck> check;
    try {
        check = BackupCheck::readIfThere(BackupCheck::pathFor(backup));
    } catch (const Error& e) {
        throw unreadable(backup, e.text());
    }
    if (check && BackupCheck::hashFile(backup) != check->fileHash)
        throw unreadable(backup, QStringLiteral("ファイルがバックアップを作ったときの検査記録と一致しません"));
    return check;
}

// Restores into restored and checks the result; throws Error saying why it is no good.
qint64 restoreAndCheck(
    const QString& backup, const QString& restored, const std::optional<BackupCheck>& check, const Progress& progress)
{
    try {
        FirebirdService::restore(backup, restored, [&progress](qint64 n) { progress(Progress::Step::Restoring, n); });
    } catch (const DbError& e) {
        if (diskIsFull(QFileInfo(restored).path()))
            throw diskFullError(QFileInfo(restored).path());
        throw unreadable(backup, e.text());
    }
    // A file too short to hold even a backup's heading ends the engine's restore
    // before it makes anything, and without an error.
    if (!QFileInfo::exists(restored))
        throw unreadable(backup, QStringLiteral("Firebird のバックアップではないか、途中で切れています"));
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

// The restored book gets the permissions the book it replaces had (a book shared with
// a group stays so), never more than the owner's and the group's, and the owner's
// alone when there was none.
void takePermissions(const QString& restored, const QString& book, bool hadBook)
{
    constexpr auto ownerAndGroup = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    const QFile::Permissions old = hadBook ? QFile::permissions(book) & ownerAndGroup : QFile::Permissions();
    QFile::setPermissions(restored, old ? old : (QFile::ReadOwner | QFile::WriteOwner));
}

// Puts restored where book is, so that at every instant the folder holds a whole
// book under its own name: the old book first gets its second name (a hard link),
// and one rename then puts the restored book in its place. A crash between the two
// leaves the old book in place under both names, of which the next tool removes the
// second. Where the disk has no hard links, the old book is renamed first; a crash
// between those two renames leaves it under the second name, and the launcher says so.
void swapIn(const QString& restored, const QString& book, const QString& replaced)
{
    const QString dir = QFileInfo(book).path();
    if (!replaced.isEmpty()) {
        const bool linked = ::link(QFile::encodeName(book).constData(), QFile::encodeName(replaced).constData()) == 0;
        if (!linked && !QFile::rename(book, replaced))
            throw Error(QStringLiteral("%1 を %2 に移せません。釣果記録は元のままです。")
                            .arg(QDir::toNativeSeparators(book), QDir::toNativeSeparators(replaced)));
        syncDirectory(dir);
        faultPoint("restore-replaced-named");
    }
    if (::rename(QFile::encodeName(restored).constData(), QFile::encodeName(book).constData()) != 0) {
        if (!replaced.isEmpty() && !QFile::exists(book))
            QFile::rename(replaced, book);
        else if (!replaced.isEmpty())
            QFile::remove(replaced);
        throw Error(QStringLiteral("復元した釣果記録を %1 に置けません。釣果記録は元のままです。")
                        .arg(QDir::toNativeSeparators(book)));
    }
    faultPoint("restore-swapped");
    syncDirectory(dir);
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
BookRestore::Result restoreOnServer(
    const QString& backup, const QDir& dir, const QString& book, const Progress& progress)
{
    BookRestore::Result result;
    result.book = book;
    const std::optional<BackupCheck> check = verifiedCheck(backup);
    result.checked = check.has_value();
    {
        QTemporaryDir scratch(dir.absoluteFilePath(QStringLiteral(".restore-XXXXXX")));
        if (!scratch.isValid())
            throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir.path())));
        result.records = restoreAndCheck(backup, scratch.filePath(QLatin1String(TDM1::kFileName)), check, progress);
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

BookRestore::Result BookRestore::run(const QString& backup, const QString& dirPath, const Progress& progress)
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
        return restoreOnServer(backup, dir, named, progress);
    Result result;
    result.book = named;
    StallWatch watch("kelpora-restore",
        QStringLiteral("釣果記録 %1 は元のままです。").arg(QDir::toNativeSeparators(result.book)));

    // Held from before the restore until the swap, so the application cannot open the
    // old book in between and write to a file that is about to be moved aside.
    // A book that cannot be opened at all (a broken disk, say) is what a restore is for:
    // it is moved aside all the same.
    std::unique_ptr<BookConnection> old;
    const bool hadBook = QFileInfo::exists(result.book);
    if (hadBook) {
        try {
            old = std::make_unique<BookConnection>(result.book);
            removeLeftovers(dir.path());
        } catch (const BookInUseError&) {
            throw;
        } catch (const Error&) { }
    }

    const std::optional<BackupCheck> check = verifiedCheck(backup);
    result.checked = check.has_value();

    QTemporaryDir scratch(dir.absoluteFilePath(QStringLiteral(".restore-XXXXXX")));
    if (!scratch.isValid())
        throw Error(QStringLiteral("一時フォルダを %1 に作れません。").arg(QDir::toNativeSeparators(dir.path())));
    const QString restored = scratch.filePath(QLatin1String(TDM1::kFileName));
    result.records = restoreAndCheck(backup, restored, check, progress);
    takePermissions(restored, result.book, hadBook);
    syncFile(restored);
    faultPoint("restore-checked");

    if (hadBook)
        result.replaced = replacedName(dir);
    watch.nowSay(QStringLiteral("釣果記録 %1 を確かめてください。元の釣果記録が %2 にあるかもしれません。")
                     .arg(QDir::toNativeSeparators(result.book), QDir::toNativeSeparators(result.replaced)));
    swapIn(restored, result.book, result.replaced);
    watch.nowSay(QStringLiteral("復元は終わっています（%1）。").arg(QDir::toNativeSeparators(result.book)));
    faultPoint("restore-closing");
    old.reset();
    return result;
}

} // namespace kelpora::bookcare
