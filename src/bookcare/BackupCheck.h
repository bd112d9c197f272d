#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace kelpora::bookcare {

// What kelpora-backup found when it checked a backup, kept beside it as
// "KELPORA-yyyymmdd-hhmmss.fbk.check": a backup with this record is a good one. The
// file's hash lets a later restore tell the very file that was checked from a damaged
// one, and the stamp lets the next backup tell whether the book changed since.
struct BackupCheck {
    QDateTime made;
    qint64 records = 0;
    QByteArray stamp; // changeStamp of the book, hex
    QByteArray fileHash; // hashFile of the backup file

    static QString pathFor(const QString& backupPath);
    // Nothing when the file is missing or not a check record.
    static std::optional<BackupCheck> read(const QString& path);
    // Nothing when there is no file at path; throws Error when there is one but it is
    // not a whole check record, which must not pass for a backup that was never checked.
    static std::optional<BackupCheck> readIfThere(const QString& path);
    // Written whole or not at all, readable by its owner only. Throws Error.
    void write(const QString& path) const;

    // BLAKE2b-256 of a file's bytes, hex: several times faster here than SHA-256, which
    // counts on a book of a gigabyte, and as good at catching damage. Throws Error when
    // the file cannot be read.
    static QByteArray hashFile(const QString& path);
};

} // namespace kelpora::bookcare
