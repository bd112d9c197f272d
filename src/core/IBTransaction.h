#pragma once

#include <QtGlobal>

#include <memory>

namespace Firebird {
class ITransaction;
}

namespace kelpora {

class IBDatabase;

// The one transaction, started by the first statement that needs it, with the
// server's default parameters. Writers commit or roll back retaining, so the
// transaction and every open result set stay alive.
class IBTransaction {
public:
    explicit IBTransaction(IBDatabase& db);
    ~IBTransaction();
    IBTransaction(const IBTransaction&) = delete;
    IBTransaction& operator=(const IBTransaction&) = delete;

    bool active() const;
    // Read committed instead of the server's default snapshot, from the next start on:
    // each statement then sees what other attachments have committed, while the one
    // transaction and its commit retaining stay as they are. Waits a few seconds for a
    // record another attachment is changing, then fails.
    void setReadCommitted(bool on) { m_readCommitted = on; }
    bool readCommitted() const { return m_readCommitted; }
    // Connects and starts when needed.
    Firebird::ITransaction* handle();
    void commitRetaining();
    void rollbackRetaining();
    // Shutdown only: commits (nothing is pending) or, failing that, lets go.
    void end() noexcept;

    // Moves on whenever what a statement reads may have changed: a statement other than
    // a select run, a commit or rollback retaining, a transaction started or ended. One
    // count for the whole process, so whatever was kept from one connection is never
    // taken for another's. Anything kept from earlier reads is good while it stands still.
    static quint64 changeCount() noexcept;
    static void noteChange() noexcept;

private:
    IBDatabase& m_db;
    struct Handle;
    std::unique_ptr<Handle> m_transaction;
    bool m_readCommitted = false;
};

} // namespace kelpora
