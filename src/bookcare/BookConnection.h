#pragma once

#include "core/Connection.h"

#include <QString>

namespace kelpora::bookcare {

// A tool's own connection to one book file, attached at once: a book that another
// process holds is found before the tool has written anything, and while the tool holds
// it the application cannot open it and change it underneath.
class BookConnection : public Connection {
public:
    // Throws BookInUseError when another process has the file open, Error when it is
    // missing or not a book at all.
    explicit BookConnection(const QString& path);

    const QString& path() const { return m_path; }

    // Whether the file's engine state is "online": a restore that stopped half-way
    // leaves its file shut down.
    bool isOnline();
    // Throws Error unless FISH_DATA exists with every column of the catch record.
    void requireCatchTable();

    // The single line a tool prints when the book is held by another process.
    static QString inUseMessage(const QString& path);

private:
    QString m_path;
};

} // namespace kelpora::bookcare
