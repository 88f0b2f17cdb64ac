// The application's default error display: an error that escapes a command ends that command,
// its message is shown in a box titled with the application's title, and the program goes on.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace qv {

// Shows `message` through ErrorDisplay.
void ShowErrorMessage(const QString& message);
// Shows the message of the exception in flight (call only inside a catch block); a settings write
// refused for a store already reported as not used shows nothing more.
void ShowCurrentException();

// A message box owned by the active window, unless replaced (tests record the messages).
extern std::function<void(const QString& message)> ErrorDisplay;

// Wraps a handler so that an exception it raises reaches the error display instead of
// unwinding through the toolkit's signal dispatch.
template <class F> auto Guarded(F handler) {
    return [handler = std::move(handler)]() {
        try {
            handler();
        } catch (...) {
            ShowCurrentException();
        }
    };
}

} // namespace qv
