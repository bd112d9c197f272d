#include "bookcare/ChangeStamp.h"

#include "bookcare/BookConnection.h"

#include "core/FbClient.h"

#include <QCryptographicHash>

#include <cstring>

namespace kelpora::bookcare {

namespace {

using Firebird::ThrowStatusWrapper;

// Runs a statement whose rows are all 64-bit integers and feeds their bytes to hash.
void hashRows(BookConnection& book, const char* sql, QCryptographicHash& hash)
{
    Firebird::IAttachment* att = book.attachment();
    Firebird::ITransaction* tr = book.transaction();
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IStatement> stmt(att->prepare(st, tr, 0, sql, 1, 0));
        fb::Ref<Firebird::IMessageMetadata> declared(stmt->getOutputMetadata(st));
        const unsigned count = declared->getCount(st);
        fb::Ref<Firebird::IMetadataBuilder> builder(declared->getBuilder(st));
        for (unsigned i = 0; i < count; ++i) {
            builder->setType(st, i, SQL_INT64);
            builder->setLength(st, i, sizeof(ISC_INT64));
            builder->setScale(st, i, 0);
        }
        fb::Ref<Firebird::IMessageMetadata> meta(builder->getMetadata(st));
        std::vector<unsigned char> row(meta->getMessageLength(st));
        fb::Ref<Firebird::IResultSet> cursor(stmt->openCursor(st, tr, nullptr, nullptr, meta.get(), 0));
        while (cursor->fetchNext(st, row.data()) == Firebird::IStatus::RESULT_OK) {
            for (unsigned i = 0; i < count; ++i) {
                short null = 0;
                std::memcpy(&null, row.data() + meta->getNullOffset(st, i), sizeof null);
                ISC_INT64 value = 0;
                if (!null)
                    std::memcpy(&value, row.data() + meta->getOffset(st, i), sizeof value);
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(&value), sizeof value));
                hash.addData(QByteArrayView(null ? "N" : "V", 1));
            }
        }
        cursor->close(st);
        (void)cursor.release();
    });
}

} // namespace

QByteArray changeStamp(BookConnection& book)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    hashRows(book,
        "select datediff(millisecond from timestamp '2000-01-01 00:00:00' to MON$CREATION_DATE)"
        " from MON$DATABASE",
        hash);
    hashRows(book, "select CODENO, RDB$RECORD_VERSION from FISH_DATA order by CODENO", hash);
    return hash.result().toHex();
}

} // namespace kelpora::bookcare
