#pragma once

#include "FieldValue.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <vector>

namespace kelpora::tools {

// A fingerprint of a whole book's contents: every value of every record, NULLs and
// empty values told apart. Two books with the same digest hold the same records.
class RecordDigest {
public:
    RecordDigest();
    void add(const std::vector<FieldValue>& record);
    qint64 records() const { return m_records; }
    // Lower-case hex BLAKE2b-256 (fast on gigabytes of pictures); the digest can go on
    // after it is read.
    QByteArray hex() const;

private:
    QCryptographicHash m_hash;
    qint64 m_records = 0;
};

} // namespace kelpora::tools
