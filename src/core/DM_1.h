#pragma once

#include "core/BookLocation.h"
#include "core/Connection.h"

#include <QString>

namespace kelpora {
class SqlQuery;
}

// The data module: the one owner of the connection and its transaction. Every
// window's query objects refer to IBDB2 and IBTr2.
class TDM1 {
    kelpora::Connection m_book; // first: IBDB2 and IBTr2 are its parts

public:
    static constexpr const char* kFileName = kelpora::BookLocation::kFileName;

    TDM1();
    ~TDM1();
    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    // Computed just before every connect, so the current directory at that moment counts;
    // KELPORA_DATABASE, when set, names the book instead.
    static QString databasePath();

    // The write convention: execute, then commit retaining. On failure the writer's
    // message is shown, the transaction rolled back retaining, and false returned.
    bool guardedWrite(kelpora::SqlQuery& query, const QString& failureMessage);

    kelpora::Connection& connection() noexcept { return m_book; }
    kelpora::IBDatabase& IBDB2;
    kelpora::IBTransaction& IBTr2;
};

extern TDM1* DM1;
