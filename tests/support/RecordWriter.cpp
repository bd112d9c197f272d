#include "support/RecordWriter.h"

#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SqlQuery.h"

#include <QStringList>

namespace kelpora::testing {

void insertRecord(TDM1& dm, const std::vector<std::pair<QString, QVariant>>& values)
{
    QStringList columns;
    QStringList params;
    for (const auto& [column, value] : values) {
        columns << column;
        params << QStringLiteral(":par") + column;
    }
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("insert into FISH_DATA (%1)").arg(columns.join(u',')));
    q.addSql(QStringLiteral(" values (%1)").arg(params.join(u',')));
    for (const auto& [column, value] : values) {
        const QString name = QStringLiteral("par") + column;
        const record::Column* c = record::find(column);
        if (value.isNull())
            q.bindNull(name);
        else if (value.typeId() == QMetaType::Int)
            q.bindInteger(name, value.toInt());
        else if (value.typeId() == QMetaType::QByteArray)
            q.bindBlob(name, value.toByteArray());
        else if (c && c->type == record::ColumnType::Memo)
            q.bindMemo(name, value.toString());
        else
            q.bindText(name, value.toString());
    }
    q.execute();
    dm.IBTr2.commitRetaining();
}

void insertMinimal(TDM1& dm, int code, const QString& place, const QString& fish)
{
    insertRecord(dm,
        {{QStringLiteral("CODENO"), code},
            {QStringLiteral("DAY_DATA"), QStringLiteral("2026/05/%1").arg(code % 28 + 1, 2, 10, QChar(u'0'))},
            {QStringLiteral("BASYO"), place}, {QStringLiteral("FISH1"), fish}});
}

} // namespace kelpora::testing
