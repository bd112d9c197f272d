#pragma once

#include "core/Error.h"
#include "core/IBDatabase.h"
#include "core/IBTransaction.h"

#include <QString>

namespace kelpora::bookcare {

// A tool's own attachment to one book file, made at once: a book that another process
// holds is found before the tool has written anything, and while the tool holds it the
// application cannot open it and change it underneath.
class BookConnection {
public:
    // Throws BookInUseError when another process has the file open, Error when it is
    // missing or not a book at all.
    explicit BookConnection(const QString& path);
    ~BookConnection();
    BookConnection(const BookConnection&) = delete;
    BookConnection& operator=(const BookConnection&) = delete;

    const QString& path() const { return m_path; }
    IBDatabase& db() { return m_db; }
    IBTransaction& tr() { return m_tr; }
    Firebird::IAttachment* attachment() { return m_db.attachment(); }
    Firebird::ITransaction* transaction() { return m_tr.handle(); }

    // Detaches now (also done by the destructor), letting go of the file.
    void close() noexcept;

    // Whether the file's engine state is "online": a restore that stopped half-way
    // leaves its file shut down.
    bool isOnline();
    // Throws Error unless FISH_DATA exists with every column of the catch record.
    void requireCatchTable();

    // The single line a tool prints when the book is held by another process.
    static QString inUseMessage(const QString& path);
    // What a tool says when the engine will not open the book, in the user's words.
    static QString openFailure(const QString& path, const DbError& e);

private:
    QString m_path;
    IBDatabase m_db;
    IBTransaction m_tr;
};

} // namespace kelpora::bookcare
