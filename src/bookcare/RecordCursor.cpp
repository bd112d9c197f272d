#include "bookcare/RecordCursor.h"

#include "core/CatchRecord.h"
#include "core/Error.h"

#include <QStringList>

namespace kelpora::bookcare {

namespace {

QString selectAllSql()
{
    QStringList names;
    for (const record::Column& c : record::columns())
        names << QLatin1String(c.name);
    return QStringLiteral("select %1 from %2 order by CODENO")
        .arg(names.join(QStringLiteral(", ")), QLatin1String(record::kTable));
}

// Integers are asked for as 32-bit whatever the file declares, so an old book with
// SMALLINT or NUMERIC columns reads the same.
std::vector<RowStream::As> catalogueWidths()
{
    std::vector<RowStream::As> as;
    for (const record::Column& c : record::columns())
        as.push_back(c.type == record::ColumnType::Integer ? RowStream::As::Integer32 : RowStream::As::Declared);
    return as;
}

bool fits(record::ColumnType type, RowStream::Kind kind)
{
    switch (type) {
    case record::ColumnType::Integer:
        return kind == RowStream::Kind::Integer;
    case record::ColumnType::Text:
        return kind == RowStream::Kind::Text;
    default:
        return kind == RowStream::Kind::Blob;
    }
}

} // namespace

RecordCursor::RecordCursor(Connection& book) : m_rows(book, selectAllSql(), catalogueWidths())
{
    requireCatalogueTypes();
    m_values.resize(size_t(m_rows.columnCount()));
}

void RecordCursor::requireCatalogueTypes() const
{
    const auto catalogue = record::columns();
    for (int i = 0; i < m_rows.columnCount(); ++i)
        if (!fits(catalogue[size_t(i)].type, m_rows.kind(i)))
            throw Error(QStringLiteral("FISH_DATA の列 %1 の型が釣果記録のものと違います。")
                            .arg(QLatin1String(catalogue[size_t(i)].name)));
}

bool RecordCursor::next()
{
    if (!m_rows.next())
        return false;
    decodeRow();
    return true;
}

void RecordCursor::decodeRow()
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        FieldValue& v = m_values[i];
        const int column = int(i);
        v.null = m_rows.isNull(column);
        v.integer = 0;
        v.bytes.clear();
        if (v.null)
            continue;
        if (m_rows.kind(column) == RowStream::Kind::Integer)
            v.integer = qint32(m_rows.integer(column));
        else
            v.bytes = m_rows.bytes(column);
    }
}

} // namespace kelpora::bookcare
