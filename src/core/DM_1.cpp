#include "core/DM_1.h"

#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QDir>

TDM1* DM1 = nullptr;

TDM1::TDM1() : IBDB2(connectionParams()), IBTr2(IBDB2)
{
    IBDB2.setDefaultTransaction(&IBTr2);
    IBDB2.setBeforeConnect([](kelpora::IBDatabase& db) { db.setDatabaseName(databasePath()); });
}

TDM1::~TDM1()
{
    IBDB2.close();
}

QString TDM1::databasePath()
{
    return QDir::currentPath() + u'/' + QLatin1String(kFileName);
}

kelpora::IBDatabase::Params TDM1::connectionParams()
{
    return {QStringLiteral("zkw"), QStringLiteral("9157"), 1};
}

bool TDM1::guardedWrite(kelpora::SqlQuery& query, const QString& failureMessage)
{
    try {
        query.execute();
        IBTr2.commitRetaining();
        return true;
    } catch (...) {
        // Whatever failed (the database, a picture too large for memory, anything), the
        // user gets the writer's own message and nothing half-done stays pending.
        kelpora::seams::messageBoxes().inform(failureMessage);
        try {
            IBTr2.rollbackRetaining();
        } catch (...) {
            // The connection itself is gone; the next statement reconnects.
        }
        return false;
    }
}
