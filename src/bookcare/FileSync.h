#pragma once

#include <QString>

// Files the tools put in place must be on the disk before their names say they are
// there: a backup, a restored book or an imported one that a power cut could leave
// half-written under its final name would be worse than none.
namespace kelpora::bookcare {

// fsync of one file. Throws FileError.
void syncFile(const QString& path);
// fsync of a folder, so a rename within it lasts. Throws FileError.
void syncDirectory(const QString& path);

} // namespace kelpora::bookcare
