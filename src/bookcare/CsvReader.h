#pragma once

#include <QByteArray>

#include <vector>

namespace kelpora::bookcare {

// Splits CSV bytes into records by RFC 4180. Quoted fields may hold commas, doubled
// quotes and line breaks, kept exactly as written. Records may end in CR LF or LF;
// blank lines are skipped; a leading UTF-8 byte-order mark is dropped.
class CsvReader {
public:
    struct Field {
        QByteArray bytes;
        bool quoted = false;
    };
    struct Record {
        int line = 0; // the line of the file on which the record starts, from 1
        std::vector<Field> fields;
    };
    // Thrown for text that is not CSV; line is where the fault is.
    struct SyntaxError {
        int line = 0;
        const char* reason = ""; // Japanese, UTF-8
    };

    explicit CsvReader(QByteArray data);
    // The next record; false at the end. Throws SyntaxError.
    bool next(Record& record);

private:
    Field quotedField();
    Field bareField();
    bool atLineEnd() const;
    void skipLineEnd();

    QByteArray m_data;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace kelpora::bookcare
