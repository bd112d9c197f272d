#pragma once

#include <QString>
#include <QStringList>

namespace kelpora::bookcare {

// kelpora-export: the whole book as one CSV file and a folder of picture files.
class CsvExport {
public:
    struct Result {
        qint64 records = 0;
        int pictures = 0;
        QString picturesDir;
        // Stored text that is not valid Shift-JIS (or holds a NUL); each such byte is
        // written as U+F700 + the byte, which the import turns back, and named here.
        QStringList warnings;
    };

    // Writes every record of DIR/KELPORA.FDB to csvPath in record-number order: UTF-8
    // with a byte-order mark, a header of the 55 column names, RFC 4180 quoting. A NULL
    // is an empty field, empty text a quoted "" (so the two stay apart). Pictures go
    // byte for byte into "<name of the csv>_pictures/" beside it, named after record and
    // column (00012_PHOTO1.jpg; a stored BMP keeps .bmp), and the field holds that
    // relative path. An existing CSV or picture folder is refused. Both are
    // written under hidden names and put in place only when complete and on the disk.
    // Throws BookInUseError, FileError (a full disk named as such) or Error; on failure
    // neither is left behind.
    static Result run(const QString& dir, const QString& csvPath);

    // "fish.csv" -> "fish_pictures"
    static QString picturesDirName(const QString& csvPath);
    // "00012_PHOTO1.jpg" for JPEG bytes, ".bmp" for a BMP file, ".bin" for anything else.
    static QString pictureFileName(qint32 code, const char* column, const QByteArray& bytes);
};

} // namespace kelpora::bookcare
