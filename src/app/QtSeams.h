#pragma once

#include "core/Seams.h"

#include <memory>

// The production seams: real Qt message boxes, file dialog, clipboard and process.
class QtSeams {
public:
    QtSeams();
    ~QtSeams();
    QtSeams(const QtSeams&) = delete;
    QtSeams& operator=(const QtSeams&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
