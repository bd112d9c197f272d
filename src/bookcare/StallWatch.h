#pragma once

#include <QString>

#include <chrono>
#include <memory>

namespace kelpora::bookcare {

// Ends the process with a clear message when it stops making progress: the embedded
// engine can, rarely, wait for ever on one of its own threads, and a tool that hangs
// at 0% leaves the user with no word of what happened to the book. Progress is the
// processor time the process uses; while it works, the engine always uses some. The
// message says where the book is at the step the work has reached; the process ends
// with status 1, as from any other failure.
class StallWatch {
public:
    StallWatch(const char* tool, const QString& whereTheBookIs);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    // What to say from now on.
    void nowSay(const QString& whereTheBookIs);

    // How long without progress counts as stuck: KELPORA_STALL_SECONDS, else 120 s.
    static std::chrono::seconds limit();

private:
    struct Watch;
    std::unique_ptr<Watch> m_watch;
};

} // namespace kelpora::bookcare
