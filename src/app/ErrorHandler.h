#pragma once

#include <QObject>

#include <exception>
#include <utility>

namespace kelpora {

// The default error handler: whatever escapes an event handler ends that handler
// and is shown in a message box; the application goes on.
void reportError(std::exception_ptr error) noexcept;

template <class F> void guarded(F&& handler) noexcept
{
    try {
        std::forward<F>(handler)();
    } catch (...) {
        reportError(std::current_exception());
    }
}

// connect() whose slot runs under the default error handler, so no exception ever
// unwinds through Qt's own frames.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection onEvent(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)())
{
    return QObject::connect(
        sender, signal, receiver, [receiver, handler] { guarded([&] { (receiver->*handler)(); }); });
}

} // namespace kelpora
