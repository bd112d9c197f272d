#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kelpora::bookcare {

// The backups/ folder beside a book: KELPORA-yyyymmdd-hhmmss.fbk files, each with the
// check record that makes it a good backup. Names sort by the time they were made; a
// second backup within the same second gets "-2", "-3", ... after the time.
class BackupFolder {
public:
    struct Entry {
        QString path; // the .fbk file
        QString stamp; // "yyyymmdd-hhmmss"
        int sequence = 1;
        bool checked = false; // a check record lies beside it
        QDateTime made; // by its name
        qint64 records = -1; // by its check record; -1 without one
        QByteArray bookStamp; // changeStamp of the book it was made from, by its check record
    };

    explicit BackupFolder(const QString& bookDir);

    QString path() const { return m_path; }
    // Every backup file, oldest first.
    std::vector<Entry> entries() const;
    std::optional<Entry> newestChecked() const;
    // The oldest of the newest good backups that were all made from a book with this
    // changeStamp: the book has not changed since it was made. Nothing when the newest
    // good backup was made from another state.
    std::optional<Entry> unchangedSince(const QByteArray& stamp) const;
    // Creates the folder when needed and returns a free name for a backup made at time.
    QString newBackupPath(const QDateTime& time) const;
    // Makes the folder when needed, and it and every file in it its owner's alone: a
    // backup holds every record, and the book itself is no more open than that.
    void makePrivate() const;
    // Removes checked backups (and their check records) that none of these keeps, as
    // of now: the keep newest (at least one); the newest backup of each month of the
    // last year; within that year, the last backup before each drop in the number of
    // records; and, for ever, the newest of those holding the most records. So a book
    // emptied by mistake, and backed up many times since, still has its records in a
    // backup. Backups without a check record are not touched. Returns the removed files.
    QStringList prune(int keep, const QDateTime& now = QDateTime::currentDateTime()) const;
    // What a run that was cut short may have left: unfinished files, check folders and
    // check records whose backup is gone. Only while the book is held, so no other
    // backup can be at work here.
    void removeLeftovers() const;

    static constexpr const char* kUnfinishedSuffix = ".part";
    static constexpr const char* kCheckFolderPrefix = ".check-";

private:
    QString m_path;
};

} // namespace kelpora::bookcare
