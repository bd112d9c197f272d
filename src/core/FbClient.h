#pragma once

#include <QString>

#include <firebird/Interface.h>

#include <memory>
#include <utility>

// Thin ownership and error plumbing over the Firebird OO API.
namespace kelpora::fb {

Firebird::IMaster* master();
Firebird::IUtil* util();

// The client's own message text for a status vector.
QString formatStatus(Firebird::IStatus* status);

template <class T> struct Releaser {
    void operator()(T* p) const noexcept
    {
        if (!p)
            return;
        // Reference-counted interfaces release; the few disposable ones dispose.
        if constexpr (requires { p->release(); })
            p->release();
        else
            p->dispose();
    }
};

// Owns one reference to a Firebird interface; release() is the failure-path cleanup.
template <class T> using Ref = std::unique_ptr<T, Releaser<T>>;

// A throwing status for one call sequence; disposed with its scope.
class Status {
public:
    Status();
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    Firebird::ThrowStatusWrapper* operator&() noexcept { return &m_wrapper; }

private:
    Firebird::ThrowStatusWrapper m_wrapper;
};

// A status that never throws, for cleanup paths.
class QuietStatus {
public:
    QuietStatus();
    ~QuietStatus();
    QuietStatus(const QuietStatus&) = delete;
    QuietStatus& operator=(const QuietStatus&) = delete;
    Firebird::CheckStatusWrapper* operator&() noexcept { return &m_wrapper; }
    bool failed() const;

private:
    Firebird::CheckStatusWrapper m_wrapper;
};

// Runs f(&status); a Firebird failure becomes kelpora::DbError with the client's text.
template <class F> auto call(F&& f) -> decltype(f(std::declval<Firebird::ThrowStatusWrapper*>()));

[[noreturn]] void rethrow(const Firebird::FbException& e);

// Moves on each time a call finds the way to a server gone. The call's status does not
// say which attachment it went through, so each remote attachment compares this with
// what it was when it attached, and lets go of itself once it moved.
quint64 lostConnections() noexcept;

template <class F> auto call(F&& f) -> decltype(f(std::declval<Firebird::ThrowStatusWrapper*>()))
{
    Status status;
    try {
        return f(&status);
    } catch (const Firebird::FbException& e) {
        rethrow(e);
    }
}

} // namespace kelpora::fb
