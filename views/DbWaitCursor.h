#pragma once

#include <QCursor>
#include <QObject>

// Shows the database-wait pointer over the whole program while the store works, and puts
// the default pointer back when the store's reset timer says the work is over.
class DbWaitCursor : public QObject
{
    Q_OBJECT
public:
    explicit DbWaitCursor(QObject *parent = nullptr);

    static QCursor cursor();
    static void set();     // unless an application-wide pointer is set already
    static void reset();   // back to the default pointer
};
