#pragma once

#include <QString>

#include <exception>

#include <string>

// The title of the program's message boxes: the executable's file name up to its
// first ".", every character after the first in lower case.
QString ApplicationTitle();
QString ApplicationTitleOf(const QString& executableFileName);

// Shows a failure's message (GBK) in a message box with the error icon and one OK
// button, with a full stop appended when its last character sorts after ".".
void ShowErrorReport(const std::string& message);

// Runs handler; whatever it throws is reported and goes no further, so nothing
// reaches Qt's event loop.
template <typename Handler>
void ReportingFailures(Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& failure) {
        ShowErrorReport(failure.what());
    } catch (...) {
        ShowErrorReport("Unexpected failure");
    }
}
