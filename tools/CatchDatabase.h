#pragma once

#include <QString>

namespace kelpora::tools {

// Creates a new, empty KELPORA.FDB at path: dialect 1, no default character set,
// forced writes, owner zkw, with the FISH_DATA table. Refuses an existing file.
// Throws kelpora::Error.
void createCatchDatabase(const QString& path);

} // namespace kelpora::tools
