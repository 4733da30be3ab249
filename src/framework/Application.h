// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: the message loop, the default error report and the guard that
// every entry from Qt into our handlers passes, so that no exception ever crosses Qt code.

#include <exception>
#include <functional>
#include <string>

class QWidget;

class TApplication {
public:
    using ErrorReport = std::function<void(const std::string& message)>;

    // Runs the message loop until the last window closes; returns the exit code.
    static int Run();

    // The default error report: a message box with the failure's message, the program
    // goes on. EAbort shows nothing.
    static void HandleException(const std::exception_ptr& failure);
    static void ShowException(const std::string& message);

    // Replaces the report (tests record messages instead of showing boxes); an empty
    // function restores the message box. Returns the previous report.
    static ErrorReport SetErrorReport(ErrorReport report);
};

// Runs a handler; any failure goes to the default error report instead of propagating.
// Returns true when the handler finished without a failure.
template <typename F>
bool Guard(F&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        TApplication::HandleException(std::current_exception());
        return false;
    }
}
