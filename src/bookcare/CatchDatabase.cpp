#include "bookcare/CatchDatabase.h"

#include "core/CatchRecord.h"
#include "core/Connection.h"
#include "core/Error.h"

#include <QFileInfo>

namespace kelpora::bookcare {

void createCatchDatabase(const QString& path, bool forcedWrites)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("%1 は既に存在します。上書きはしません。").arg(path));
    Connection::createBook(path, forcedWrites);
    Connection book(path);
    book.execute(record::createTableSql());
}

} // namespace kelpora::bookcare
