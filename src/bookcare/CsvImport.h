#pragma once

#include <QString>

namespace kelpora::bookcare {

// kelpora-import: a new book from a CSV file written by kelpora-export (or edited in a
// spreadsheet program and saved as UTF-8 CSV).
class CsvImport {
public:
    struct Result {
        QString book;
        qint64 records = 0;
        int pictures = 0;
    };

    // Makes DIR/KELPORA.FDB from csvPath and the picture files it names (paths relative
    // to the CSV's folder). An unquoted empty field is NULL, a quoted "" empty text.
    // Refuses an existing book. The first bad line (not CSV, a wrong number of fields, a
    // number out of range, a duplicate record number, a missing picture file, text too
    // long or with no Shift-JIS form) stops it with its line number and the reason, and
    // no book is left behind. Throws Error.
    static Result run(const QString& csvPath, const QString& dir);
};

} // namespace kelpora::bookcare
