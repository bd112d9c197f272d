#include "bookcare/CatchDatabase.h"

#include "core/CatchRecord.h"
#include "core/DM_1.h"
#include "core/Error.h"
#include "core/SqlQuery.h"

#include <QFileInfo>

namespace kelpora::bookcare {

void createCatchDatabase(const QString& path, bool forcedWrites)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("%1 は既に存在します。上書きはしません。").arg(path));
    const IBDatabase::Params params = TDM1::connectionParams();
    IBDatabase::createDatabase(path, params, forcedWrites);

    IBDatabase db(params);
    db.setDatabaseName(path);
    IBTransaction tr(db);
    db.setDefaultTransaction(&tr);
    SqlQuery ddl(db, tr);
    ddl.addSql(record::createTableSql());
    ddl.execute();
    tr.commitRetaining();
}

} // namespace kelpora::bookcare
