#include "RecordDigest.h"

#include "core/CatchRecord.h"

#include <QtEndian>

namespace kelpora::tools {

RecordDigest::RecordDigest() : m_hash(QCryptographicHash::Blake2b_256)
{ }

void RecordDigest::add(const std::vector<FieldValue>& record)
{
    // Each value as a kind byte and a length-prefixed body, so no two different records
    // can run together into the same byte stream.
    const auto columns = record::columns();
    for (size_t i = 0; i < record.size(); ++i) {
        const FieldValue& v = record[i];
        char head[9] = {};
        if (v.null) {
            m_hash.addData(QByteArrayView(head, 1));
            continue;
        }
        head[0] = 1;
        const bool integer = i < columns.size() && columns[i].type == record::ColumnType::Integer;
        const QByteArray body = integer ? QByteArray::number(v.integer) : v.bytes;
        qToLittleEndian<quint64>(quint64(body.size()), head + 1);
        m_hash.addData(QByteArrayView(head, sizeof head));
        m_hash.addData(body);
    }
    ++m_records;
}

QByteArray RecordDigest::hex() const
{
    return m_hash.resultView().toByteArray().toHex();
}

} // namespace kelpora::tools
