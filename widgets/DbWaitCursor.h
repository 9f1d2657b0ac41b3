#pragma once

#include <QCursor>
#include <QObject>

#include <optional>

// Shows the database-wait pointer over the whole program while the store works or a request
// on it runs, and puts the default pointer back when the store's activity says the work is
// over. Nothing else sets or resets this pointer.
class DbWaitCursor : public QObject
{
    Q_OBJECT
public:
    explicit DbWaitCursor(QObject *parent = nullptr);

private:
    // Made at the first wait, then kept: every search and every further batch shows it again.
    const QCursor &cursor();
    void set();            // unless an application-wide pointer is set already
    static void reset();   // back to the default pointer

    std::optional<QCursor> m_cursor;
};
