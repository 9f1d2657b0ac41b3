#include "ErrorReport.h"

#include <QtDebug>
#include <exception>

namespace {
ErrorReport::Handler &handler()
{
    static ErrorReport::Handler h;
    return h;
}
} // namespace

void ErrorReport::setHandler(Handler h)
{
    handler() = std::move(h);
}

void ErrorReport::report(const QString &message)
{
    if (handler())
        handler()(message);
    else
        qWarning().noquote() << message;
}

bool ErrorReport::guard(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &error) {
        report(QString::fromUtf8(error.what()));   // the store's errors carry SQLite's message here
    }
    return false;
}
