#pragma once
// Every handler the event loop runs goes through guarded(): a failure ends
// the handler and shows the standard error box with its message; no
// exception ever crosses the Qt event loop.
#include <QObject>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace guard_detail {
// Shows the standard error box for the exception; never throws.
void report(std::exception_ptr failure) noexcept;
} // namespace guard_detail

template <class F>
void guarded(F &&f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (...) {
        guard_detail::report(std::current_exception());
    }
}

namespace guard_detail {
// Calls the handler with the signal's arguments, or with none when it takes none.
template <class Receiver, class Handler, class... Args>
void call(Receiver *receiver, const Handler &handler, Args &&...args) {
    if constexpr (std::is_member_function_pointer_v<Handler>) {
        if constexpr (std::is_invocable_v<Handler, Receiver *, Args...>)
            std::invoke(handler, receiver, std::forward<Args>(args)...);
        else
            std::invoke(handler, receiver);
    } else {
        static_cast<void>(receiver); // (only a member function needs it)
        if constexpr (std::is_invocable_v<const Handler &, Args...>)
            std::invoke(handler, std::forward<Args>(args)...);
        else
            std::invoke(handler);
    }
}
} // namespace guard_detail

// Connects a signal to a handler run through guarded(). The handler is a
// callable or a member function of receiver; it takes the signal's arguments
// or none.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, Receiver *receiver, Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto &&...args) {
        guarded([&] { guard_detail::call(receiver, handler, std::forward<decltype(args)>(args)...); });
    });
}
