#pragma once

#include "imaging/PictureStore.h"

#include <span>

namespace kelpora {

// A picture column of the catch record and how its bytes are read.
struct PictureColumn {
    const char* name;
    ReadRule rule;
    const char* label; // what a message calls the picture (UTF-8)
};

// The six picture columns in the order of the record windows' areas: the tide chart, the
// map, then photos 1 to 4. Charts and maps may be stored bitmaps; photos are JPEG only.
std::span<const PictureColumn, 6> pictureColumns();
std::span<const PictureColumn, 4> photoColumns();

} // namespace kelpora
