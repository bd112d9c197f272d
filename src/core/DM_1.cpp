#include "core/DM_1.h"

#include "core/BookLocation.h"
#include "core/FbClient.h"
#include "core/Seams.h"
#include "core/WriteGuard.h"

#include <QDir>

TDM1* DM1 = nullptr;

TDM1::TDM1() : IBDB2(m_book.db()), IBTr2(m_book.tr())
{
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

TDM1::~TDM1() = default;

QString TDM1::databasePath()
{
    return kelpora::BookLocation::databaseName(QDir::currentPath());
}

bool TDM1::guardedWrite(kelpora::SqlQuery& query, const QString& failureMessage)
{
    const quint64 lostBefore = kelpora::fb::lostConnections();
    // The user gets the writer's own message, whatever the failure was; the typing is
    // still in the window. When the server went away, they are told which.
    if (!kelpora::guardedWrite(query, IBTr2))
        return true;
    const bool serverGone = kelpora::fb::lostConnections() != lostBefore;
    kelpora::seams::messageBoxes().inform(serverGone
            ? failureMessage + u'\n' + kelpora::BookLocation::unreachableMessage(IBDB2.databaseName())
            : failureMessage);
    return false;
}
