#pragma once

#include <QString>

namespace kelpora::fb {

// The embedded engine keeps its lock and shared-memory files in one folder, /tmp/firebird
// unless told otherwise; the first user to run it owns that folder, and every other user
// is then refused. Each user's programs get a folder of their own instead, named in
// FIREBIRD_LOCK before the engine first starts: $XDG_RUNTIME_DIR/kelpora-firebird, else
// the user's cache folder. Two processes of one user still exclude each other on one
// book, whatever folder each was given: the engine also locks the book's file itself.
// A FIREBIRD_LOCK already set is left as it is. Returns the folder in use.
QString useOwnLockFolder();

} // namespace kelpora::fb
