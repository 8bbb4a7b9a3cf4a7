#pragma once
// The program's general error report and the guard that every event handler
// runs behind: no exception ever leaves a handler into Qt's event loop.

#include <exception>
#include <string>

// The message as the report shows it: "." appended when the last character
// sorts after ".".
std::string errorReportText(const std::string &message);

// A modal message box with the critical icon, captioned "Mandelbrotmenge",
// run with exec(). Returns when the user has closed it.
void showErrorReport(const std::string &message);

// Runs `handler`; an exception that it throws ends it and is shown in the
// error report, after which the program goes on.
template<class Handler>
void guarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        try {
            showErrorReport(e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            showErrorReport("Unknown error");
        } catch (...) {
        }
    }
}
