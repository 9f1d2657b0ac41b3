#pragma once

#include <QString>
#include <functional>

// The boundary of every view handler that works on a data set: an error it lets through is
// caught here and handed to the application's default error report, which the application object
// installs, so no exception ever crosses Qt's event machinery.
class ErrorReport
{
public:
    using Handler = std::function<void(const QString &message)>;

    static void setHandler(Handler handler);
    // Runs the action; returns false when it failed (the report has been shown by then).
    static bool guard(const std::function<void()> &action);
    static void report(const QString &message);
};
