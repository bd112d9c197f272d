#pragma once

#include "core/Seams.h"

#include <functional>
#include <memory>

// The production seams: real Qt message boxes, file dialog, clipboard and process.
class QtSeams {
public:
    // `inChild` runs in every external program's process between fork and exec, for
    // what the shell changed about the process that a child must not inherit.
    explicit QtSeams(std::function<void()> inChild = {});
    ~QtSeams();
    QtSeams(const QtSeams&) = delete;
    QtSeams& operator=(const QtSeams&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
