#pragma once

#include "core/Error.h"

#include <QString>

namespace kelpora::bookcare {

// Whether the disk holding folder has (all but) no room left: the engine reports a
// full disk only in English, or not at all when a backup merely comes out short, so a
// failure there is put down to the disk when it is nearly full.
bool diskIsFull(const QString& folder);

// "ディスクの空きがありません", with the folder, for the tools to throw.
Error diskFullError(const QString& folder);

} // namespace kelpora::bookcare
