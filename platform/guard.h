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

// Connects a signal to a handler run through guarded(). The handler is a
// callable or a member function of receiver; it takes the signal's arguments
// or none.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, Receiver *receiver, Handler handler) {
    // The return type is given: Qt finds the signal arguments a functor takes
    // by trying it with fewer, which must not instantiate the body.
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto &&...args) -> void {
        if constexpr (std::is_member_function_pointer_v<Handler>) {
            if constexpr (std::is_invocable_v<Handler, Receiver *, decltype(args)...>)
                guarded([&] { std::invoke(handler, receiver, args...); });
            else
                guarded([&] { std::invoke(handler, receiver); });
        } else {
            static_cast<void>(receiver); // (only a member function needs it)
            if constexpr (std::is_invocable_v<const Handler &, decltype(args)...>)
                guarded([&] { std::invoke(handler, args...); });
            else
                guarded([&] { std::invoke(handler); });
        }
    });
}
