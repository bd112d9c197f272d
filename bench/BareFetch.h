#pragma once

#include "core/Connection.h"

#include <QString>

#include <cstddef>
#include <functional>

namespace kelpora::bench {

// The browser's statement run straight on the Firebird API over a connection of its own,
// every row fetched and nothing else done with it: the floor any opening of the browser
// stands on. The study variants fetch the same rows to other places, to see what storing
// them costs and why.
class BareConnection {
public:
    explicit BareConnection(const QString& path);
    ~BareConnection();
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    // Fetches every row into the buffer `place(row)` returns (one row message long);
    // returns the number of rows. With no `place`, every row goes to one buffer.
    int fetchAll(const std::function<unsigned char*(int row)>& place = {});
    size_t messageLength();

private:
    Connection m_book;
};

// Where the time of the browser's load-all goes beside the bare fetch: the same fetch into
// one warm buffer, into fresh blocks as the row store takes them, into blocks used before,
// into one warm buffer copied out to fresh blocks, and into fresh blocks placed otherwise.
// Prints one line per variant.
void fetchStudy(BareConnection& bare, int runs);

} // namespace kelpora::bench
