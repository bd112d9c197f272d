#pragma once

#include <QObject>

#include <exception>
#include <tuple>
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
// unwinds through Qt's own frames. The handler takes the signal's arguments it wants
// (a row, a point), or none.
template <class Sender, class Signal, class Receiver, class... Args>
QMetaObject::Connection onEvent(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)(Args...))
{
    return QObject::connect(sender, signal, receiver,
        [receiver, handler](Args... args) { guarded([&] { (receiver->*handler)(args...); }); });
}

namespace detail {
template <class F> struct Parameters : Parameters<decltype(&F::operator())> { };
template <class C, class R, class... A> struct Parameters<R (C::*)(A...) const> {
    using Tuple = std::tuple<A...>;
};
template <class C, class R, class... A> struct Parameters<R (C::*)(A...)> {
    using Tuple = std::tuple<A...>;
};

// A slot taking exactly the parameters the handler declares, so Qt passes it the first
// of the signal's arguments and no more.
template <class F, class... A> auto guardedSlot(F f, std::tuple<A...>*)
{
    return [f = std::move(f)](A... args) { guarded([&] { f(args...); }); };
}
} // namespace detail

// The same for a small piece of window code written in place.
template <class Sender, class Signal, class F>
QMetaObject::Connection onEvent(Sender* sender, Signal signal, QObject* context, F handler)
{
    using Tuple = typename detail::Parameters<F>::Tuple;
    return QObject::connect(
        sender, signal, context, detail::guardedSlot(std::move(handler), static_cast<Tuple*>(nullptr)));
}

} // namespace kelpora
