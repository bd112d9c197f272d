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
    // to the CSV's folder, inside its own picture folder "<name of the csv>_pictures/"; no
// absolute paths, no "..", no links out of it; regular files that are pictures the
// column's windows read: JPEG for photos, JPEG or BMP for the tide chart and the map).
// Text holding U+F700 to U+F7FF is stored as the raw bytes those stand for, as the
// export writes bytes that are not Shift-JIS. An unquoted empty field is NULL, a quoted "" empty text.
    // Refuses an existing book. The first bad line (not CSV, a wrong number of fields, a
    // number out of range, a duplicate record number, a picture file refused, text too
    // long or with no Shift-JIS form) stops it with its line number and the reason, and
    // no book is left behind. Throws Error.
    static Result run(const QString& csvPath, const QString& dir);

    // Every check run() makes before it makes a book, on csv as if read from csvPath
    // (whose folder holds the pictures). Throws Error naming the line.
    static void check(const QByteArray& csv, const QString& csvPath);
};

} // namespace kelpora::bookcare
