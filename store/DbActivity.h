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

    // A user's request on the store, as a search or a reset is: the pointer shows from its start
    // to its end, and a finished request puts the default back at once. A failed one is left to
    // the timed reset like any failed work, or cleared at once when it never reached SQLite.
    class Request
    {
    public:
        Request();
        ~Request();   // still running: taken as failed
        Request(const Request &) = delete;
        Request &operator=(const Request &) = delete;

        void finish();
        void fail();

    private:
        void end(bool finished);
        bool m_running = false;
        quint64 m_workBefore = 0;
    };

    static DbActivity *instance();   // nullptr without an application object

signals:
    void workStarted();   // the pointer becomes the database-wait pointer unless one is set
    void idle();          // the pointer goes back to the default

private:
    explicit DbActivity(QObject *parent);
    void begin();
    void end();
    void endAtOnce();
    void tick();

    int m_depth = 0;
    quint64 m_begun = 0;   // every stretch of work so far, nested ones included
    QElapsedTimer m_sinceEnd;
    QTimer m_timer;
};
