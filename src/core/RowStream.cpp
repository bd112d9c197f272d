#include "core/RowStream.h"

#include "core/Connection.h"
#include "core/Error.h"
#include "core/FbBlob.h"
#include "core/FbClient.h"
#include "core/SjisCodec.h"

#include <cstring>

namespace kelpora {

using Firebird::ThrowStatusWrapper;

namespace {

struct Column {
    RowStream::Kind kind = RowStream::Kind::Other;
    unsigned type = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned length = 0;
};

RowStream::Kind kindOf(unsigned type)
{
    switch (type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return RowStream::Kind::Integer;
    case SQL_VARYING:
    case SQL_TEXT:
        return RowStream::Kind::Text;
    case SQL_BLOB:
        return RowStream::Kind::Blob;
    default:
        return RowStream::Kind::Other;
    }
}

void askAs(ThrowStatusWrapper* st, Firebird::IMetadataBuilder* builder, unsigned i, RowStream::As as)
{
    if (as == RowStream::As::Declared)
        return;
    const bool wide = as == RowStream::As::Integer64;
    builder->setType(st, i, wide ? SQL_INT64 : SQL_LONG);
    builder->setLength(st, i, wide ? sizeof(ISC_INT64) : sizeof(ISC_LONG));
    builder->setScale(st, i, 0);
}

} // namespace

struct RowStream::Impl {
    Connection& connection;
    fb::Ref<Firebird::IStatement> statement;
    fb::Ref<Firebird::IMessageMetadata> meta;
    fb::Ref<Firebird::IResultSet> cursor;
    std::vector<Column> columns;
    std::vector<unsigned char> buffer;
    bool atEnd = false;

    explicit Impl(Connection& c) : connection(c) { }

    ~Impl()
    {
        if (!cursor)
            return;
        fb::QuietStatus st;
        cursor->close(&st);
        if (!st.failed())
            (void)cursor.release(); // close() released it
    }

    void describe(const std::vector<As>& as)
    {
        fb::call([&](ThrowStatusWrapper* st) {
            fb::Ref<Firebird::IMessageMetadata> declared(statement->getOutputMetadata(st));
            const unsigned count = declared->getCount(st);
            fb::Ref<Firebird::IMetadataBuilder> builder(declared->getBuilder(st));
            for (unsigned i = 0; i < count && i < as.size(); ++i)
                askAs(st, builder.get(), i, as[i]);
            meta.reset(builder->getMetadata(st));
            for (unsigned i = 0; i < count; ++i) {
                Column c;
                c.type = meta->getType(st, i) & ~1u;
                c.kind = kindOf(c.type);
                c.offset = meta->getOffset(st, i);
                c.nullOffset = meta->getNullOffset(st, i);
                c.length = meta->getLength(st, i);
                columns.push_back(c);
            }
            buffer.assign(meta->getMessageLength(st), 0);
        });
    }

    const unsigned char* value(int column) const { return buffer.data() + columns[size_t(column)].offset; }
};

RowStream::RowStream(Connection& connection, const QString& sql, const std::vector<As>& as)
    : d(std::make_unique<Impl>(connection))
{
    const QByteArray text = sjis::encode(sql);
    Firebird::ITransaction* tr = connection.tr().handle();
    Firebird::IAttachment* att = connection.db().attachment();
    fb::call([&](ThrowStatusWrapper* st) {
        d->statement.reset(att->prepare(st, tr, unsigned(text.size()), text.constData(),
            unsigned(connection.db().dialect()), Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    });
    d->describe(as);
    fb::call([&](ThrowStatusWrapper* st) {
        d->cursor.reset(d->statement->openCursor(st, tr, nullptr, nullptr, d->meta.get(), 0));
    });
}

RowStream::~RowStream() = default;

int RowStream::columnCount() const
{
    return int(d->columns.size());
}

RowStream::Kind RowStream::kind(int column) const
{
    return d->columns[size_t(column)].kind;
}

bool RowStream::next()
{
    // The engine refuses a fetch after the end, so the end is remembered.
    if (d->atEnd)
        return false;
    const int rc = fb::call([&](ThrowStatusWrapper* st) { return d->cursor->fetchNext(st, d->buffer.data()); });
    if (rc != Firebird::IStatus::RESULT_OK)
        d->atEnd = true;
    return !d->atEnd;
}

bool RowStream::isNull(int column) const
{
    short flag = 0;
    std::memcpy(&flag, d->buffer.data() + d->columns[size_t(column)].nullOffset, sizeof flag);
    return flag != 0;
}

qint64 RowStream::integer(int column) const
{
    if (isNull(column))
        return 0;
    const unsigned char* v = d->value(column);
    switch (d->columns[size_t(column)].type) {
    case SQL_SHORT: {
        ISC_SHORT x;
        std::memcpy(&x, v, sizeof x);
        return x;
    }
    case SQL_LONG: {
        ISC_LONG x;
        std::memcpy(&x, v, sizeof x);
        return x;
    }
    case SQL_INT64: {
        ISC_INT64 x;
        std::memcpy(&x, v, sizeof x);
        return x;
    }
    default:
        throw ProgrammingError(QStringLiteral("列 %1 は整数ではありません").arg(column + 1));
    }
}

QByteArray RowStream::bytes(int column) const
{
    if (isNull(column))
        return {};
    const Column& c = d->columns[size_t(column)];
    const unsigned char* v = d->value(column);
    switch (c.type) {
    case SQL_VARYING: {
        unsigned short length = 0;
        std::memcpy(&length, v, sizeof length);
        return QByteArray(reinterpret_cast<const char*>(v + sizeof length), length);
    }
    case SQL_TEXT: {
        // A fixed-width column pads with blanks; the stored text is without them.
        qsizetype length = qsizetype(c.length);
        while (length > 0 && v[length - 1] == ' ')
            --length;
        return QByteArray(reinterpret_cast<const char*>(v), length);
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, v, sizeof id);
        return fb::readBlob(d->connection.db().attachment(), d->connection.tr().handle(), id);
    }
    default:
        throw ProgrammingError(QStringLiteral("列 %1 は文字列でも BLOB でもありません").arg(column + 1));
    }
}

} // namespace kelpora
