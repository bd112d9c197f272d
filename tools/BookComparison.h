#pragma once

#include <QByteArray>
#include <QString>

namespace kelpora::tools {

class BookConnection;

// The outcome of laying two books side by side, record by record.
struct BookComparison {
    qint64 records = 0; // records of the first book
    QByteArray digest; // RecordDigest of the first book
    QString difference; // empty when the two hold the same records, else the first difference

    bool same() const { return difference.isEmpty(); }

    // Reads both books in record-number order and compares every value of every record,
    // pictures byte for byte, and the number of records.
    static BookComparison compare(BookConnection& book, BookConnection& copy);
    // Only the digest and count of one book.
    static BookComparison digestOf(BookConnection& book);
};

} // namespace kelpora::tools
