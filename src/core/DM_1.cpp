#include "core/DM_1.h"

#include "core/BookLocation.h"
#include "core/Error.h"
#include "core/Seams.h"
#include "core/SqlQuery.h"

#include <QDir>

TDM1* DM1 = nullptr;

TDM1::TDM1() : IBDB2(connectionParams()), IBTr2(IBDB2)
{
    IBDB2.setDefaultTransaction(&IBTr2);
    IBDB2.setBeforeConnect([this](kelpora::IBDatabase& db) {
        db.setDatabaseName(databasePath());
        // Several computers on one server book: each statement must see what the others
        // committed, as the browser's reopening of its statement promises. Read committed
        // gives that without touching the one transaction; a fresh snapshot at each
        // reopening would have to end it, and every window's open result set with it. A
        // book of this computer alone keeps the server's default snapshot.
        IBTr2.setReadCommitted(kelpora::BookLocation::isServerBook(db.databaseName()));
    });
}

TDM1::~TDM1()
{
    IBDB2.close();
}

QString TDM1::databasePath()
{
    return kelpora::BookLocation::databaseName(QDir::currentPath());
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
    } catch (const kelpora::DbError& e) {
        // The typing is still in the window, so the user only needs to know what to fix.
        const QString message = e.cause() == kelpora::DbError::Cause::ServerUnreachable
            ? failureMessage + u'\n' + kelpora::BookLocation::unreachableMessage(IBDB2.databaseName())
            : failureMessage;
        failed(message);
        return false;
    } catch (...) {
        // Whatever failed (the database, a picture too large for memory, anything), the
        // user gets the writer's own message and nothing half-done stays pending.
        failed(failureMessage);
        return false;
    }
}

void TDM1::failed(const QString& message)
{
    kelpora::seams::messageBoxes().inform(message);
    try {
        // The attachment of a server that went away is let go of here, not tried again.
        if (IBDB2.connected())
            IBTr2.rollbackRetaining();
    } catch (...) {
        // The connection itself is gone; the next statement reconnects.
    }
}
