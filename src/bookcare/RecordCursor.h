#pragma once

#include "bookcare/FieldValue.h"

#include "core/FbClient.h"

#include <vector>

namespace kelpora::bookcare {

// Every record of FISH_DATA in record-number order, one at a time and as stored: the
// tools compare and export books of any size without holding them in memory
// and without the text ever passing through a conversion.
class RecordCursor {
public:
    // Opens the cursor over the catalogue's 55 columns, in the catalogue's order.
    RecordCursor(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction);
    ~RecordCursor();
    RecordCursor(const RecordCursor&) = delete;
    RecordCursor& operator=(const RecordCursor&) = delete;

    // Moves to the next record; false after the last (and on every call after that).
    // Reads its BLOBs too.
    bool next();
    // The current record, one value per catalogue column.
    const std::vector<FieldValue>& values() const { return m_values; }
    qint32 code() const { return m_values.front().integer; }

private:
    struct Column;
    void describe();
    void decodeRow();
    QByteArray readBlob(const unsigned char* id);

    Firebird::IAttachment* m_attachment;
    Firebird::ITransaction* m_transaction;
    fb::Ref<Firebird::IStatement> m_statement;
    fb::Ref<Firebird::IMessageMetadata> m_meta;
    fb::Ref<Firebird::IResultSet> m_cursor;
    std::vector<Column> m_columns;
    std::vector<unsigned char> m_buffer;
    std::vector<FieldValue> m_values;
    bool m_atEnd = false;
};

} // namespace kelpora::bookcare
