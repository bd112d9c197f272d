#include "core/DM_1.h"

#include "core/Seams.h"
#include "core/WriteGuard.h"

#include <QDir>

TDM1* DM1 = nullptr;

TDM1::TDM1() : IBDB2(m_book.db()), IBTr2(m_book.tr())
{
    IBDB2.setBeforeConnect([](kelpora::IBDatabase& db) { db.setDatabaseName(databasePath()); });
}

TDM1::~TDM1() = default;

QString TDM1::databasePath()
{
    return QDir::currentPath() + u'/' + QLatin1String(kFileName);
}

bool TDM1::guardedWrite(kelpora::SqlQuery& query, const QString& failureMessage)
{
    // The user gets the writer's own message, whatever the failure was.
    if (!kelpora::guardedWrite(query, IBTr2))
        return true;
    kelpora::seams::messageBoxes().inform(failureMessage);
    return false;
}
