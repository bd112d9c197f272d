#pragma once

#include "core/IBDatabase.h"
#include "core/IBTransaction.h"

#include <QString>

namespace kelpora {

// A database with its one transaction: the pair every statement runs on. The data module
// holds one for the application's book; each tool, benchmark and test that opens a book
// of its own holds another. The attachment is made when the first statement needs it
// (or at open()); closing ends the transaction first, then lets go of the file.
class Connection {
public:
    // The owner and dialect every book is made and opened with.
    static IBDatabase::Params bookParams();
    // A new database file at path with the book's owner and dialect; nothing in it yet.
    static void createBook(const QString& path, bool forcedWrites);

    explicit Connection(const QString& path = QString());
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    IBDatabase& db() noexcept { return m_db; }
    IBTransaction& tr() noexcept { return m_tr; }

    void open() { m_db.open(); }
    void close() noexcept { m_db.close(); }
    void commit() { m_tr.commitRetaining(); }
    // One statement, committed.
    void execute(const QString& sql);

private:
    IBDatabase m_db;
    IBTransaction m_tr;
};

} // namespace kelpora
