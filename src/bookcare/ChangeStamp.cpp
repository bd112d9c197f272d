#include "bookcare/ChangeStamp.h"

#include "core/Connection.h"
#include "core/RowStream.h"

#include <QCryptographicHash>

namespace kelpora::bookcare {

namespace {

// Runs a statement whose columns are all read as 64-bit integers and feeds their bytes to hash.
void hashRows(Connection& book, const QString& sql, int columns, QCryptographicHash& hash)
{
    RowStream rows(book, sql, std::vector<RowStream::As>(size_t(columns), RowStream::As::Integer64));
    while (rows.next()) {
        for (int i = 0; i < rows.columnCount(); ++i) {
            const bool null = rows.isNull(i);
            const qint64 value = rows.integer(i);
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(&value), sizeof value));
            hash.addData(QByteArrayView(null ? "N" : "V", 1));
        }
    }
}

} // namespace

QByteArray changeStamp(Connection& book)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    hashRows(book,
        QStringLiteral("select datediff(millisecond from timestamp '2000-01-01 00:00:00' to MON$CREATION_DATE)"
                       " from MON$DATABASE"),
        1, hash);
    hashRows(book, QStringLiteral("select CODENO, RDB$RECORD_VERSION from FISH_DATA order by CODENO"), 2, hash);
    return hash.result().toHex();
}

} // namespace kelpora::bookcare
