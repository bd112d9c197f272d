#pragma once

#include "bookcare/Progress.h"

#include <QString>

namespace kelpora::bookcare {

// One run of kelpora-restore.
class BookRestore {
public:
    struct Result {
        QString book; // DIR/KELPORA.FDB, now the restored book
        // Where the book that was there went (for a server book, a backup of it made where
        // the tool runs); empty when there was none.
        QString replaced;
        qint64 records = 0;
        bool checked = false; // compared with the check record made with the backup
    };

    // Restores backup into DIR/KELPORA.FDB. The restore goes into a temporary file first
    // and is checked there (online, the catch table whole, and against the backup's check
    // record when one lies beside it, which must then be whole); only then is an existing
    // book renamed to KELPORA-replaced-yyyymmdd-hhmmss.FDB and the restored one put in
    // its place, so that the folder holds a whole book at every instant. On any failure
    // the folder is left as it was. A book named by KELPORA_DATABASE is restored in its
    // own place; on a server, by the server itself. Throws BookInUseError or Error; a hung engine ends
    // the process with a message (StallWatch).
    static Result run(const QString& backup, const QString& dir, const Progress& progress = {});
};

} // namespace kelpora::bookcare
