#pragma once

#include <memory>

namespace kelpora {

// SIGTERM, SIGINT and SIGHUP end KELPORA as its close button does: the windows close,
// the transaction is committed and the book detached, so the file is left whole.
//
// The database client installs handlers of its own for some of these signals once a
// book is attached; they shut the connection down under the open windows. So the
// signals are blocked in every thread and taken by one thread of ours with sigwait(),
// which no handler can get in front of.
class SignalShutdown {
public:
    // Call first thing in main(), before any thread exists, so that every thread started
    // later (Qt's, the database client's) inherits the blocked signals.
    static void blockSignals();
    // Child processes must not inherit the blocked signals; call in the child after fork.
    static void unblockSignals() noexcept;

    // Starts watching; on a signal the application's event loops are ended.
    SignalShutdown();
    ~SignalShutdown();
    SignalShutdown(const SignalShutdown&) = delete;
    SignalShutdown& operator=(const SignalShutdown&) = delete;

private:
    struct Watcher;
    std::unique_ptr<Watcher> d;
};

} // namespace kelpora
