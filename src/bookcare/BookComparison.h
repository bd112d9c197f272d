#pragma once

#include <QString>

#include <functional>

namespace kelpora::bookcare {

class BookConnection;

// The outcome of laying two books side by side, record by record.
struct BookComparison {
    qint64 records = 0; // records of the first book read so far: all of them when the two are the same
    QString difference; // empty when the two hold the same records, else the first difference

    bool same() const { return difference.isEmpty(); }

    // Reads both books in record-number order and compares every value of every record,
    // NULL and empty apart, pictures byte for byte, and the number of records. done is
    // told the records compared so far.
    static BookComparison compare(
        BookConnection& book, BookConnection& copy, const std::function<void(qint64 records)>& done = {});
};

} // namespace kelpora::bookcare
