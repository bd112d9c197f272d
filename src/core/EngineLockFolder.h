#pragma once

#include <QString>

namespace kelpora::fb {

// The embedded engine keeps its lock and shared-memory files in one folder, /tmp/firebird
// unless told otherwise, and shares them with every process that uses the same folder.
// That goes wrong twice: the first user to run the engine owns /tmp/firebird and every
// other user is refused; and a process killed while it holds one of the engine's
// mutexes in those files (they are not robust) leaves every later process that uses the
// folder waiting for ever. So each process gets a folder of its own, named in
// FIREBIRD_LOCK before the engine first starts, under
// $XDG_RUNTIME_DIR/kelpora-firebird, else the user's cache folder, else
// /tmp/kelpora-firebird-UID; the folders of processes that are gone are removed.
// Two processes still exclude each other on one book: the engine also locks the book's
// file itself. A FIREBIRD_LOCK already set is left as it is. Returns the folder in use.
QString useOwnLockFolder();

} // namespace kelpora::fb
