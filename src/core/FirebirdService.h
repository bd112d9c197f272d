#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kelpora {

// Firebird's own backup and restore, run through the Services API of the client
// library. With the embedded engine the service runs inside this process: no server,
// no gbak program. A book on a server is backed up and restored by that server's own
// service manager, the backup file streamed to and from this computer.
class FirebirdService {
public:
    // Told the records copied so far of the table the service is at: every few hundred
    // records, and at least about once a second while it works.
    using RecordsDone = std::function<void(qint64 records)>;

    // Writes a backup of the book at bookPath to backupPath. Throws DbError.
    static void backup(const QString& bookPath, const QString& backupPath, const RecordsDone& done = {});
    // Makes a new book at bookPath from backupPath; an existing file there is refused.
    // A backup file that ends early can stop the restore without an error: the caller
    // must check that the result is online (MON$DATABASE shows no shutdown mode). Throws DbError.
    static void restore(const QString& backupPath, const QString& bookPath, const RecordsDone& done = {});
    // Puts the backup in place of the server book at bookPath, which no one may have
    // open; the server refuses otherwise. Throws DbError.
    static void replaceOnServer(const QString& backupPath, const QString& bookPath);

    // Turns forced writes on for the book at bookPath (no one may have it open): a book
    // filled with them off, which is many times faster, is then as safe as any other.
    static void setForcedWrites(const QString& bookPath);

    // The service's report lines of the last backup or restore in this thread.
    static QStringList lastOutput();
};

} // namespace kelpora
