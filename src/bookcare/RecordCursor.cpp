#include "bookcare/RecordCursor.h"

#include "core/CatchRecord.h"
#include "core/Error.h"
#include "core/FbBlob.h"

#include <QStringList>

#include <cstring>

namespace kelpora::bookcare {

using Firebird::ThrowStatusWrapper;

struct RecordCursor::Column {
    record::ColumnType kind;
    unsigned type = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned length = 0;
};

namespace {

QByteArray selectAllSql()
{
    QStringList names;
    for (const record::Column& c : record::columns())
        names << QLatin1String(c.name);
    return QStringLiteral("select %1 from %2 order by CODENO")
        .arg(names.join(QStringLiteral(", ")), QLatin1String(record::kTable))
        .toLatin1();
}

} // namespace

RecordCursor::RecordCursor(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction)
    : m_attachment(attachment), m_transaction(transaction)
{
    const QByteArray sql = selectAllSql();
    fb::call([&](ThrowStatusWrapper* st) {
        m_statement.reset(m_attachment->prepare(st, m_transaction, unsigned(sql.size()), sql.constData(), 1,
            Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    });
    describe();
    fb::call([&](ThrowStatusWrapper* st) {
        m_cursor.reset(m_statement->openCursor(st, m_transaction, nullptr, nullptr, m_meta.get(), 0));
    });
}

RecordCursor::~RecordCursor()
{
    fb::QuietStatus st;
    if (m_cursor) {
        m_cursor->close(&st);
        if (!st.failed())
            (void)m_cursor.release(); // close() released it
    }
}

// Integers are asked for as 32-bit whatever the file declares, so an old book with
// SMALLINT or NUMERIC columns reads the same; the engine reports a value that does not fit.
void RecordCursor::describe()
{
    const auto catalogue = record::columns();
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IMessageMetadata> declared(m_statement->getOutputMetadata(st));
        fb::Ref<Firebird::IMetadataBuilder> builder(declared->getBuilder(st));
        for (unsigned i = 0; i < catalogue.size(); ++i) {
            if (catalogue[i].type != record::ColumnType::Integer)
                continue;
            builder->setType(st, i, SQL_LONG);
            builder->setLength(st, i, sizeof(ISC_LONG));
            builder->setScale(st, i, 0);
        }
        m_meta.reset(builder->getMetadata(st));
        for (unsigned i = 0; i < catalogue.size(); ++i) {
            Column c{catalogue[i].type};
            c.type = m_meta->getType(st, i) & ~1u;
            c.offset = m_meta->getOffset(st, i);
            c.nullOffset = m_meta->getNullOffset(st, i);
            c.length = m_meta->getLength(st, i);
            const bool text = c.type == SQL_VARYING || c.type == SQL_TEXT;
            const bool blob = c.type == SQL_BLOB;
            const bool fits = c.kind == record::ColumnType::Integer || (c.kind == record::ColumnType::Text && text)
                || (c.kind != record::ColumnType::Text && blob);
            if (!fits)
                throw Error(QStringLiteral("FISH_DATA の列 %1 の型が釣果記録のものと違います。")
                                .arg(QLatin1String(catalogue[i].name)));
            m_columns.push_back(c);
        }
        m_buffer.assign(m_meta->getMessageLength(st), 0);
    });
    m_values.resize(m_columns.size());
}

bool RecordCursor::next()
{
    // The engine refuses a fetch after the end, so the end is remembered.
    if (m_atEnd)
        return false;
    const int rc = fb::call([&](ThrowStatusWrapper* st) { return m_cursor->fetchNext(st, m_buffer.data()); });
    if (rc != Firebird::IStatus::RESULT_OK) {
        m_atEnd = true;
        return false;
    }
    decodeRow();
    return true;
}

void RecordCursor::decodeRow()
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        FieldValue& v = m_values[i];
        short flag = 0;
        std::memcpy(&flag, m_buffer.data() + c.nullOffset, sizeof flag);
        v.null = flag != 0;
        v.integer = 0;
        v.bytes.clear();
        if (v.null)
            continue;
        const unsigned char* data = m_buffer.data() + c.offset;
        if (c.kind == record::ColumnType::Integer) {
            std::memcpy(&v.integer, data, sizeof v.integer);
        } else if (c.type == SQL_VARYING) {
            unsigned short length = 0;
            std::memcpy(&length, data, sizeof length);
            v.bytes = QByteArray(reinterpret_cast<const char*>(data + sizeof length), length);
        } else if (c.type == SQL_TEXT) {
            // A fixed-width column pads with blanks; the stored text is without them.
            qsizetype length = qsizetype(c.length);
            while (length > 0 && data[length - 1] == ' ')
                --length;
            v.bytes = QByteArray(reinterpret_cast<const char*>(data), length);
        } else {
            v.bytes = readBlob(data);
        }
    }
}

QByteArray RecordCursor::readBlob(const unsigned char* id)
{
    ISC_QUAD quad;
    std::memcpy(&quad, id, sizeof quad);
    return fb::readBlob(m_attachment, m_transaction, quad);
}

} // namespace kelpora::bookcare
