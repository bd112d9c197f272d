#pragma once

#include "bookcare/FieldValue.h"

#include "core/RowStream.h"

#include <vector>

namespace kelpora {
class Connection;
}

namespace kelpora::bookcare {

// Every record of FISH_DATA in record-number order, one at a time and as stored: the
// tools compare and export books of any size without holding them in memory
// and without the text ever passing through a conversion.
class RecordCursor {
public:
    // Opens the cursor over the catalogue's 55 columns, in the catalogue's order.
    explicit RecordCursor(Connection& book);

    // Moves to the next record; false after the last (and on every call after that).
    // Reads its BLOBs too.
    bool next();
    // The current record, one value per catalogue column.
    const std::vector<FieldValue>& values() const { return m_values; }
    qint32 code() const { return m_values.front().integer; }

private:
    void requireCatalogueTypes() const;
    void decodeRow();

    RowStream m_rows;
    std::vector<FieldValue> m_values;
};

} // namespace kelpora::bookcare
