#pragma once
// The program's general error report and the guard that every event handler
// runs behind: no exception ever leaves a handler into Qt's event loop.

#include <exception>
#include <string>

// The message as the report shows it: "." appended when the last character
// sorts after ".".
std::string ErrorReportText(const std::string &message);

// A modal message box with the critical icon, captioned "Mandelbrotmenge",
// run with exec(). Returns when the user has closed it.
void ShowErrorReport(const std::string &message);

// Runs `handler`; an exception that it throws ends it and is shown in the
// error report, after which the program goes on.
template<class Handler>
void Guarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        try {
            ShowErrorReport(e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            ShowErrorReport("Unknown error");
        } catch (...) {
        }
    }
}
