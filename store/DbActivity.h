#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Tells the GUI when database work is going on, so it can show the database-wait pointer.
// The all-clear comes from a 50 ms timer once 50 ms have passed since the work ended: it only
// fires when the event loop runs again, and work that starts meanwhile postpones it.
class DbActivity : public QObject
{
    Q_OBJECT
public:
    static constexpr int ResetMs = 50;

    // Marks a stretch of database work; nests freely.
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
    };

    static DbActivity *instance();   // nullptr without an application object

signals:
    void workStarted();   // the pointer becomes the database-wait pointer unless one is set
    void idle();          // the pointer goes back to the default

private:
    explicit DbActivity(QObject *parent);
    void begin();
    void end();
    void tick();

    int m_depth = 0;
    QElapsedTimer m_sinceEnd;
    QTimer m_timer;
};
