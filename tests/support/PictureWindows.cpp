#include "support/PictureWindows.h"

#include "core/Connection.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"

namespace kelpora::testing {

namespace {

template <class F> auto readRow(const QString& dbPath, int code, const QString& column, F read)
{
    Connection book(dbPath);
    SqlQuery q(book);
    q.addSql(QStringLiteral("select %1 from FISH_DATA where CODENO = %2").arg(column).arg(code));
    q.open();
    return read(q);
}

} // namespace

std::optional<QByteArray> storedBlob(const QString& dbPath, int code, const QString& column)
{
    return readRow(dbPath, code, column, [&](const SqlQuery& q) -> std::optional<QByteArray> {
        if (q.isEmpty() || q.isNull(column))
            return std::nullopt;
        return q.fieldBlob(column);
    });
}

QString storedText(const QString& dbPath, int code, const QString& column)
{
    return readRow(dbPath, code, column, [&](const SqlQuery& q) { return q.fieldText(column); });
}

void refuseUpdates(TDM1& dm)
{
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("create exception E_NO_UPDATE 'updates are refused'"));
    q.execute();
    dm.IBTr2.commitRetaining();
    q.close();
    q.clearSql();
    q.addSql(
        QStringLiteral("create trigger T_NO_UPDATE for FISH_DATA before update as begin exception E_NO_UPDATE; end"));
    q.execute();
    dm.IBTr2.commitRetaining();
}

} // namespace kelpora::testing
