#pragma once

#include "core/BookLocation.h"
#include "core/IBDatabase.h"
#include "core/IBTransaction.h"

#include <QString>

namespace kelpora {
class SqlQuery;
}

// The data module: the one owner of the connection and its transaction. Every
// window's query objects refer to IBDB2 and IBTr2.
class TDM1 {
public:
    static constexpr const char* kFileName = kelpora::BookLocation::kFileName;

    TDM1();
    ~TDM1();
    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    // Computed just before every connect, so the current directory at that moment counts;
    // KELPORA_DATABASE, when set, names the book instead.
    static QString databasePath();
    static kelpora::IBDatabase::Params connectionParams();

    // The write convention: execute, then commit retaining. On failure the writer's
    // message is shown, the transaction rolled back retaining, and false returned.
    bool guardedWrite(kelpora::SqlQuery& query, const QString& failureMessage);

    kelpora::IBDatabase IBDB2;
    kelpora::IBTransaction IBTr2;

private:
    void failed(const QString& message);
};

extern TDM1* DM1;
