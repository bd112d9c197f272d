#include "core/SqlQuery.h"

#include "core/Connection.h"
#include "core/Error.h"
#include "core/FbBlob.h"
#include "core/FbClient.h"
#include "core/IBDatabase.h"
#include "core/IBTransaction.h"
#include "core/NamedParams.h"
#include "core/RowStore.h"
#include "core/SjisCodec.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace kelpora {

using Firebird::IMessageMetadata;
using Firebird::ThrowStatusWrapper;

namespace {

struct Binding {
    enum class Kind { Null, Text, Integer, Memo, Blob };
    Kind kind = Kind::Null;
    QByteArray bytes; // Shift-JIS text or raw BLOB contents
    qint32 integer = 0;
};

// An unbound or NULL parameter keeps the type the statement declared for it.
void declareParameter(Firebird::IMetadataBuilder* builder, ThrowStatusWrapper* st, unsigned i, const Binding* b)
{
    const Binding::Kind kind = b ? b->kind : Binding::Kind::Null;
    switch (kind) {
    case Binding::Kind::Null:
        break;
    case Binding::Kind::Text:
        builder->setType(st, i, SQL_VARYING);
        builder->setLength(st, i, unsigned(std::max<qsizetype>(1, b->bytes.size())));
        builder->setCharSet(st, i, 0);
        break;
    case Binding::Kind::Integer:
        builder->setType(st, i, SQL_LONG);
        builder->setLength(st, i, sizeof(ISC_LONG));
        builder->setScale(st, i, 0);
        break;
    case Binding::Kind::Memo:
    case Binding::Kind::Blob:
        builder->setType(st, i, SQL_BLOB);
        builder->setSubType(st, i, kind == Binding::Kind::Memo ? 1 : 0);
        builder->setLength(st, i, sizeof(ISC_QUAD));
        break;
    }
}

// A memo or picture goes to the server first; the message carries its id.
void placeValue(unsigned char* value, const Binding& b, Firebird::IAttachment* att, Firebird::ITransaction* t)
{
    switch (b.kind) {
    case Binding::Kind::Text: {
        const auto len = static_cast<unsigned short>(b.bytes.size());
        std::memcpy(value, &len, sizeof len);
        std::memcpy(value + sizeof len, b.bytes.constData(), size_t(b.bytes.size()));
        break;
    }
    case Binding::Kind::Integer:
        std::memcpy(value, &b.integer, sizeof b.integer);
        break;
    case Binding::Kind::Memo:
    case Binding::Kind::Blob: {
        const ISC_QUAD id = fb::writeBlob(att, t, b.bytes);
        std::memcpy(value, &id, sizeof id);
        break;
    }
    case Binding::Kind::Null:
        break;
    }
}

struct ColumnInfo {
    QString name;
    unsigned type = 0;
    int subType = 0;
    int scale = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned length = 0;
};

} // namespace

struct SqlQuery::Impl {
    IBDatabase& db;
    IBTransaction& tr;
    QStringList lines;

    bool parsed = false;
    PositionalSql positional;
    std::unordered_map<QString, Binding> bindings;

    // The prepared statement survives close/open with the same text.
    fb::Ref<Firebird::IStatement> statement;
    quint64 preparedOn = 0; // the attachment's serial

    bool open = false;
    std::vector<ColumnInfo> columns;
    std::unordered_map<QString, int> columnIndex;
    RowStore rows;
    unsigned messageLength = 0;
    int rowCount = 0;
    int current = -1;

    Impl(IBDatabase& d, IBTransaction& t) : db(d), tr(t) { }

    void invalidate()
    {
        parsed = false;
        statement.reset();
        preparedOn = 0;
        bindings.clear();
    }

    const PositionalSql& parse()
    {
        if (!parsed) {
            positional = toPositional(lines.join(u'\n'));
            parsed = true;
        }
        return positional;
    }

    Binding& binding(const QString& name)
    {
        const QString key = name.toUpper();
        if (!parse().names.contains(key))
            throw ProgrammingError(QStringLiteral("パラメータ %1 が SQL 文にありません").arg(name));
        return bindings[key];
    }

    Firebird::IStatement* prepare()
    {
        Firebird::ITransaction* t = tr.handle();
        Firebird::IAttachment* att = db.attachment();
        if (statement && preparedOn == db.serial())
            return statement.get();
        statement.reset();
        const QByteArray sql = sjis::encode(parse().sql);
        statement = fb::call([&](ThrowStatusWrapper* st) {
            return fb::Ref<Firebird::IStatement>(att->prepare(st, t, unsigned(sql.size()), sql.constData(),
                unsigned(db.dialect()), Firebird::IStatement::PREPARE_PREFETCH_METADATA));
        });
        preparedOn = db.serial();
        return statement.get();
    }

    const Binding* bound(const QString& name) const
    {
        const auto it = bindings.find(name);
        return it == bindings.end() ? nullptr : &it->second;
    }

    // Builds the input message: each parameter typed as it was bound, so the
    // server does the conversion to the column's type and reports any misfit.
    std::pair<fb::Ref<IMessageMetadata>, std::vector<unsigned char>> inputMessage(Firebird::IStatement* stmt)
    {
        Firebird::IAttachment* att = db.attachment();
        Firebird::ITransaction* t = tr.handle();
        return fb::call([&](ThrowStatusWrapper* st) {
            fb::Ref<IMessageMetadata> declared(stmt->getInputMetadata(st));
            const unsigned count = declared->getCount(st);
            const QStringList& names = positional.names;
            if (count != unsigned(names.size()))
                throw ProgrammingError(QStringLiteral("パラメータの数が合いません"));
            fb::Ref<Firebird::IMetadataBuilder> builder(declared->getBuilder(st));
            for (unsigned i = 0; i < count; ++i)
                declareParameter(builder.get(), st, i, bound(names[int(i)]));
            fb::Ref<IMessageMetadata> meta(builder->getMetadata(st));
            std::vector<unsigned char> buffer(meta->getMessageLength(st), 0);
            for (unsigned i = 0; i < count; ++i) {
                const Binding* b = bound(names[int(i)]);
                auto* nullFlag = reinterpret_cast<short*>(buffer.data() + meta->getNullOffset(st, i));
                unsigned char* value = buffer.data() + meta->getOffset(st, i);
                if (!b || b->kind == Binding::Kind::Null) {
                    *nullFlag = -1;
                    continue;
                }
                *nullFlag = 0;
                placeValue(value, *b, att, t);
            }
            return std::make_pair(std::move(meta), std::move(buffer));
        });
    }

    void describeColumns(IMessageMetadata* meta)
    {
        columns.clear();
        columnIndex.clear();
        fb::call([&](ThrowStatusWrapper* st) {
            const unsigned count = meta->getCount(st);
            for (unsigned i = 0; i < count; ++i) {
                ColumnInfo c;
                c.name = QString::fromLatin1(meta->getAlias(st, i)).toUpper();
                c.type = meta->getType(st, i);
                c.subType = meta->getSubType(st, i);
                c.scale = meta->getScale(st, i);
                c.offset = meta->getOffset(st, i);
                c.nullOffset = meta->getNullOffset(st, i);
                c.length = meta->getLength(st, i);
                columnIndex.emplace(c.name, int(columns.size()));
                columns.push_back(std::move(c));
            }
            messageLength = meta->getMessageLength(st);
        });
    }

    const ColumnInfo& column(const QString& name) const
    {
        const auto it = columnIndex.find(name.toUpper());
        if (it == columnIndex.end())
            throw ProgrammingError(QStringLiteral("フィールド %1 が見つかりません").arg(name));
        return columns[size_t(it->second)];
    }

    const unsigned char* rowData(int row) const
    {
        if (!open || row < 0 || row >= rowCount)
            return nullptr;
        return rows.row(size_t(row));
    }

    bool nullAt(int row, const ColumnInfo& c) const
    {
        const unsigned char* data = rowData(row);
        if (!data)
            return true;
        short flag = 0;
        std::memcpy(&flag, data + c.nullOffset, sizeof flag);
        return flag != 0;
    }

    double numberAt(int row, const ColumnInfo& c) const
    {
        const unsigned char* v = rowData(row) + c.offset;
        double value = 0;
        switch (c.type) {
        case SQL_SHORT: {
            ISC_SHORT x;
            std::memcpy(&x, v, sizeof x);
            value = x;
            break;
        }
        case SQL_LONG: {
            ISC_LONG x;
            std::memcpy(&x, v, sizeof x);
            value = x;
            break;
        }
        case SQL_INT64: {
            ISC_INT64 x;
            std::memcpy(&x, v, sizeof x);
            value = double(x);
            break;
        }
        case SQL_FLOAT: {
            float x;
            std::memcpy(&x, v, sizeof x);
            value = x;
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double x;
            std::memcpy(&x, v, sizeof x);
            value = x;
            break;
        }
        default:
            throw ConversionError(QStringLiteral("%1 は数値ではありません").arg(c.name));
        }
        return c.scale < 0 ? value * std::pow(10.0, c.scale) : value;
    }

    static const ColumnInfo& requireBlob(const ColumnInfo& c)
    {
        if (c.type != SQL_BLOB)
            throw ConversionError(QStringLiteral("%1 は BLOB ではありません").arg(c.name));
        return c;
    }

    ISC_QUAD blobIdAt(int row, const ColumnInfo& c) const
    {
        ISC_QUAD id;
        std::memcpy(&id, rowData(row) + c.offset, sizeof id);
        return id;
    }

    QByteArray blobAt(int row, const ColumnInfo& c) const
    {
        return fb::readBlob(db.attachment(), tr.handle(), blobIdAt(row, c));
    }

    QString textAt(int row, const ColumnInfo& c) const
    {
        if (nullAt(row, c))
            return {};
        switch (c.type) {
        case SQL_VARYING:
        case SQL_TEXT:
        case SQL_BLOB:
            return sjis::decode(bytesAt(row, c));
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            if (c.scale == 0)
                return QString::number(qint64(numberAt(row, c)));
            return QString::number(numberAt(row, c), 'f', -c.scale);
        default:
            return QString::number(numberAt(row, c));
        }
    }

    QByteArray bytesAt(int row, const ColumnInfo& c) const
    {
        if (nullAt(row, c))
            return {};
        const unsigned char* v = rowData(row) + c.offset;
        switch (c.type) {
        case SQL_VARYING: {
            unsigned short len;
            std::memcpy(&len, v, sizeof len);
            return QByteArray(reinterpret_cast<const char*>(v + sizeof len), len);
        }
        case SQL_TEXT: {
            qsizetype len = qsizetype(c.length);
            while (len > 0 && v[len - 1] == ' ')
                --len;
            return QByteArray(reinterpret_cast<const char*>(v), len);
        }
        case SQL_BLOB:
            return blobAt(row, c);
        default:
            return sjis::encode(textAt(row, c));
        }
    }

    qint32 integerAt(int row, const ColumnInfo& c) const
    {
        if (nullAt(row, c))
            return 0;
        if (c.type == SQL_VARYING || c.type == SQL_TEXT) {
            bool ok = false;
            const qint32 v = textAt(row, c).trimmed().toInt(&ok);
            if (!ok)
                throw ConversionError(QStringLiteral("'%1' は整数ではありません").arg(textAt(row, c)));
            return v;
        }
        return qint32(std::llround(numberAt(row, c)));
    }
};

SqlQuery::SqlQuery(IBDatabase& db, IBTransaction& tr, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(db, tr))
{ }

SqlQuery::SqlQuery(Connection& connection, QObject* parent) : SqlQuery(connection.db(), connection.tr(), parent)
{ }

SqlQuery::~SqlQuery() = default;

void SqlQuery::close()
{
    if (!d->open)
        return;
    d->open = false;
    d->rows.clear();
    d->rowCount = 0;
    d->current = -1;
    emit closed();
}

void SqlQuery::clearSql()
{
    close();
    d->lines.clear();
    d->invalidate();
}

void SqlQuery::addSql(const QString& line)
{
    close();
    d->lines.append(line);
    d->invalidate();
}

QString SqlQuery::sqlText() const
{
    return d->lines.join(u'\n');
}

void SqlQuery::bindText(const QString& name, const QString& value)
{
    bindTextBytes(name, sjis::encode(value));
}

void SqlQuery::bindTextBytes(const QString& name, const QByteArray& sjisBytes)
{
    if (sjisBytes.size() > 32765)
        throw EncodingError(QStringLiteral("文字列が長すぎます"));
    Binding& b = d->binding(name);
    b.kind = Binding::Kind::Text;
    b.bytes = sjisBytes;
}

void SqlQuery::bindInteger(const QString& name, qint32 value)
{
    Binding& b = d->binding(name);
    b.kind = Binding::Kind::Integer;
    b.integer = value;
    b.bytes.clear();
}

void SqlQuery::bindMemo(const QString& name, const QString& value)
{
    bindMemoBytes(name, sjis::encode(value));
}

void SqlQuery::bindMemoBytes(const QString& name, const QByteArray& sjisBytes)
{
    Binding& b = d->binding(name);
    b.kind = Binding::Kind::Memo;
    b.bytes = sjisBytes;
}

void SqlQuery::bindBlob(const QString& name, const QByteArray& bytes)
{
    Binding& b = d->binding(name);
    b.kind = Binding::Kind::Blob;
    b.bytes = bytes;
}

void SqlQuery::bindNull(const QString& name)
{
    Binding& b = d->binding(name);
    b.kind = Binding::Kind::Null;
    b.bytes.clear();
}

QStringList SqlQuery::paramNames() const
{
    QStringList out;
    for (const QString& n : d->parse().names)
        if (!out.contains(n))
            out.append(n);
    return out;
}

void SqlQuery::open()
{
    close();
    Firebird::IStatement* stmt = d->prepare();
    // Named, not a structured binding: lambdas capture those only from clang 16 on.
    auto input = d->inputMessage(stmt);
    auto& inMeta = input.first;
    auto& inBuffer = input.second;
    Firebird::ITransaction* t = d->tr.handle();
    // Others' commits show in this read, so what earlier reads gave may be out of date.
    if (d->tr.readCommitted())
        IBTransaction::noteChange();
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<IMessageMetadata> outMeta(stmt->getOutputMetadata(st));
        d->describeColumns(outMeta.get());
        fb::Ref<Firebird::IResultSet> cursor(stmt->openCursor(st, t, inMeta.get(), inBuffer.data(), outMeta.get(), 0));
        RowStore& rows = d->rows;
        rows.reset(d->messageLength);
        while (cursor->fetchNext(st, rows.append()) == Firebird::IStatus::RESULT_OK)
            rows.commit();
        cursor->close(st);
        (void)cursor.release();
        d->rowCount = int(rows.size());
    });
    d->open = true;
    d->current = d->rowCount > 0 ? 0 : -1;
    emit opened();
    emit currentRowChanged(d->current);
}

void SqlQuery::execute()
{
    close();
    Firebird::IStatement* stmt = d->prepare();
    if (fb::call([&](ThrowStatusWrapper* st) { return stmt->getType(st); }) == isc_info_sql_stmt_select) {
        open();
        return;
    }
    // Whatever it changes, what earlier reads gave may no longer be what is stored.
    IBTransaction::noteChange();
    auto input = d->inputMessage(stmt);
    auto& inMeta = input.first;
    auto& inBuffer = input.second;
    Firebird::ITransaction* t = d->tr.handle();
    fb::call([&](ThrowStatusWrapper* st) { stmt->execute(st, t, inMeta.get(), inBuffer.data(), nullptr, nullptr); });
}

bool SqlQuery::isOpen() const
{
    return d->open;
}

int SqlQuery::rowCount() const
{
    return d->open ? d->rowCount : 0;
}

int SqlQuery::currentRow() const
{
    return d->open ? d->current : -1;
}

bool SqlQuery::isEmpty() const
{
    return rowCount() == 0;
}

bool SqlQuery::hasField(const QString& column) const
{
    return d->columnIndex.count(column.toUpper()) > 0;
}

bool SqlQuery::isNull(const QString& column) const
{
    return d->nullAt(d->current, d->column(column));
}

QString SqlQuery::fieldText(const QString& column) const
{
    return d->textAt(d->current, d->column(column));
}

qint32 SqlQuery::fieldInteger(const QString& column) const
{
    return d->integerAt(d->current, d->column(column));
}

QByteArray SqlQuery::fieldBlob(const QString& column) const
{
    return blobAt(d->current, column);
}

std::optional<quint64> SqlQuery::blobId(const QString& column) const
{
    return blobIdAt(d->current, column);
}

std::optional<quint64> SqlQuery::blobIdAt(int row, const QString& column) const
{
    const ColumnInfo& c = d->column(column);
    if (d->nullAt(row, c))
        return std::nullopt;
    const ISC_QUAD id = d->blobIdAt(row, Impl::requireBlob(c));
    return quint64(quint32(id.gds_quad_high)) << 32 | quint64(id.gds_quad_low);
}

QByteArray SqlQuery::blobAt(int row, const QString& column) const
{
    const ColumnInfo& c = d->column(column);
    if (d->nullAt(row, c))
        return {};
    return d->blobAt(row, Impl::requireBlob(c));
}

QByteArray SqlQuery::fieldBytes(const QString& column) const
{
    return d->bytesAt(d->current, d->column(column));
}

qint32 SqlQuery::aggregateInteger() const
{
    if (!d->open || d->columns.empty() || d->rowCount == 0)
        return 0;
    return d->integerAt(0, d->columns.front());
}

QStringList SqlQuery::columnNames() const
{
    QStringList out;
    for (const ColumnInfo& c : d->columns)
        out.append(c.name);
    return out;
}

bool SqlQuery::isNullAt(int row, const QString& column) const
{
    return d->nullAt(row, d->column(column));
}

QString SqlQuery::textAt(int row, const QString& column) const
{
    return d->textAt(row, d->column(column));
}

int SqlQuery::columnNumber(const QString& column) const
{
    return int(&d->column(column) - d->columns.data());
}

bool SqlQuery::nullAt(int row, int column) const
{
    return d->nullAt(row, d->columns.at(size_t(column)));
}

QByteArrayView SqlQuery::textBytesAt(int row, int column) const
{
    const ColumnInfo& c = d->columns.at(size_t(column));
    if (d->nullAt(row, c))
        return {};
    const unsigned char* v = d->rowData(row) + c.offset;
    const auto* text = reinterpret_cast<const char*>(v);
    switch (c.type) {
    case SQL_VARYING: {
        unsigned short len;
        std::memcpy(&len, v, sizeof len);
        return QByteArrayView(text + sizeof len, len);
    }
    case SQL_TEXT: {
        qsizetype len = qsizetype(c.length);
        while (len > 0 && v[len - 1] == ' ')
            --len;
        return QByteArrayView(text, len);
    }
    default:
        throw ConversionError(QStringLiteral("%1 は文字列ではありません").arg(c.name));
    }
}

std::optional<qint32> SqlQuery::integerAt(int row, int column) const
{
    const ColumnInfo& c = d->columns.at(size_t(column));
    if (d->nullAt(row, c))
        return std::nullopt;
    return d->integerAt(row, c);
}

QStringList SqlQuery::textsOf(const QString& column) const
{
    const auto& c = d->column(column);
    QStringList texts;
    for (int row = 0; row < rowCount(); ++row)
        if (!d->nullAt(row, c))
            texts << d->textAt(row, c);
    return texts;
}

void SqlQuery::first()
{
    moveTo(0);
}

void SqlQuery::last()
{
    moveTo(rowCount() - 1);
}

void SqlQuery::next()
{
    moveBy(1);
}

void SqlQuery::prior()
{
    moveBy(-1);
}

void SqlQuery::moveBy(int delta)
{
    if (rowCount() == 0)
        return;
    moveTo(int(std::clamp<qint64>(qint64(d->current) + delta, 0, rowCount() - 1)));
}

void SqlQuery::moveTo(int row)
{
    if (rowCount() == 0)
        return;
    row = std::clamp(row, 0, rowCount() - 1);
    if (row == d->current)
        return;
    d->current = row;
    emit currentRowChanged(row);
}

QString SqlQuery::positionKey() const
{
    if (rowCount() == 0)
        return {};
    return QString::number(d->current + 1);
}

void SqlQuery::gotoPositionKey(const QString& key)
{
    if (key.isEmpty() || rowCount() == 0)
        return;
    bool ok = false;
    const int ordinal = key.toInt(&ok);
    if (!ok)
        return;
    moveTo(ordinal - 1);
}

} // namespace kelpora
