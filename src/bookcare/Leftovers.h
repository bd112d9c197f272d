#pragma once

#include <QString>

namespace kelpora::bookcare {

// Clears away what runs of the tools that were cut short left in a book's folder: the
// scratch folders of restores and imports (each the size of a book), a second name of
// the book left by a restore stopped just before its last step, and in backups/ the
// unfinished files, check folders and check records whose backup is gone. Only for a
// caller that holds the folder's KELPORA.FDB open: then no other KELPORA program can be
// at work in the folder, and nothing removed can be the only copy of a book.
void removeLeftovers(const QString& dir);

} // namespace kelpora::bookcare
