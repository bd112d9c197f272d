#pragma once

#include <QString>

namespace kelpora {

// Where the book is: KELPORA.FDB in a folder, attached by the embedded engine, or
// whatever KELPORA_DATABASE names, which may be a book on a Firebird server that several
// computers share ("bookserver:/srv/kelpora/KELPORA.FDB", "localhost/3051:/path").
class BookLocation {
public:
    static constexpr const char* kVariable = "KELPORA_DATABASE";
    static constexpr const char* kFileName = "KELPORA.FDB";

    // KELPORA_DATABASE when it is set and not empty, otherwise DIR/KELPORA.FDB.
    static QString databaseName(const QString& dir);
    // Whether KELPORA_DATABASE decides, so a tool's folder argument names no book.
    static bool fromEnvironment();

    // Whether name is attached through a server ("host:path", "host/port:path",
    // "inet://...") rather than as a file of this computer.
    static bool isServerBook(const QString& name);
    // "bookserver" of "bookserver/3051:/srv/KELPORA.FDB"; empty for a local file.
    static QString serverHost(const QString& name);
    // "bookserver/3051" of the same: what the service manager is reached by.
    static QString serverAddress(const QString& name);
    // "/srv/KELPORA.FDB": the file as the server sees it; name itself for a local file.
    static QString serverPath(const QString& name);
    // "bookserver/3051:service_mgr", or the embedded "service_mgr" for a local file.
    static QString serviceManager(const QString& name);

    // What the user is told when the server of name cannot be reached.
    static QString unreachableMessage(const QString& name);
};

} // namespace kelpora
