#pragma once

#include <QCursor>
#include <QObject>

#include <optional>

// Shows the database-wait pointer over the whole program while database work goes on, and puts
// the default pointer back when told the work is over; whoever knows of the work connects its
// notices to the two slots. Nothing else sets or resets this pointer.
class DbWaitCursor : public QObject
{
    Q_OBJECT
public:
    explicit DbWaitCursor(QObject *parent = nullptr);

    void showWaitPointer();            // unless an application-wide pointer is set already
    static void showDefaultPointer();  // back to the default pointer

private:
    // Made at the first wait, then kept: every search and every further batch shows it again.
    const QCursor &cursor();

    std::optional<QCursor> m_cursor;
};
