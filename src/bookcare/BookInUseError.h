#pragma once

#include "core/Error.h"

namespace kelpora::bookcare {

// The book is held by another process (the application, most likely): the embedded
// engine opens a file for one process at a time. Nothing has been changed.
class BookInUseError : public Error {
public:
    using Error::Error;
};

} // namespace kelpora::bookcare
