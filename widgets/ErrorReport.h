#pragma once

#include <QString>
#include <functional>

// The application's default error report: the application object installs the handler that shows
// a message, and every failure no handler answers itself is handed to it.
namespace ErrorReport {
using Handler = std::function<void(const QString &message)>;

void setHandler(Handler handler);
void report(const QString &message);
// Runs the action and reports what it throws, so no exception ever crosses Qt's event machinery;
// false when it failed (the report has been shown by then).
bool guard(const std::function<void()> &action);
} // namespace ErrorReport
