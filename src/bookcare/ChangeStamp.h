#pragma once

#include <QByteArray>

namespace kelpora {
class Connection;
}

namespace kelpora::bookcare {

// A cheap fingerprint of the state of a book, to tell whether it changed since a
// backup was made. Every insert, correction and deletion gives a record a new version
// (or removes it), and a book restored or made anew has a new creation time; merely
// reading changes neither, although the engine rewrites the file header on every
// attach, so the file's time, size or hash cannot be used for this. No BLOB is read,
// so it costs a fraction of a second even on a big book.
QByteArray changeStamp(Connection& book);

} // namespace kelpora::bookcare
