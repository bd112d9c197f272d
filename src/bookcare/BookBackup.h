#pragma once

#include "bookcare/Progress.h"

#include <QString>
#include <QStringList>

namespace kelpora::bookcare {

// One run of kelpora-backup on the book in a folder.
class BookBackup {
public:
    struct Options {
        // Make none when the book has not changed since the newest good backup.
        bool onlyIfChanged = false;
        int keep = 20;
        Progress progress;
    };

    enum class Outcome { Made, Unchanged };

    struct Result {
        Outcome outcome = Outcome::Made;
        QString file; // the new backup, or the newest one when unchanged
        qint64 records = 0;
        QStringList removed; // older backups let go
    };

    // Backs up DIR/KELPORA.FDB into DIR/backups, checks the backup by restoring it into
    // a temporary file and comparing every record with the book, and keeps the newest
    // options.keep good backups. A backup that fails its check is deleted. Throws
    // BookInUseError (nothing changed) or Error.
    static Result run(const QString& dir, const Options& options);
};

} // namespace kelpora::bookcare
