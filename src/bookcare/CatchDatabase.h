#pragma once

#include <QString>

namespace kelpora::bookcare {

// Creates a new, empty KELPORA.FDB at path: dialect 1, no default character set,
// forced writes, owner zkw, with the FISH_DATA table. Refuses an existing file.
// Throws kelpora::Error. A tool that fills a new book in one go may ask for forced
// writes off and turn them on when it is done (FirebirdService::setForcedWrites).
void createCatchDatabase(const QString& path, bool forcedWrites = true);

} // namespace kelpora::bookcare
