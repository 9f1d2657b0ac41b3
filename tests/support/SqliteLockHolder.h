#pragma once

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

// Holds an SQLite lock on a file from a process of its own, as another program would. A lock
// taken in the test's own process would not do: the system drops a process's locks on a file
// whenever any descriptor of that file is closed, and the code under test opens and closes some.
class SqliteLockHolder
{
public:
    SqliteLockHolder(const QString &path, const char *sql)
    {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        const QByteArray native = QFile::encodeName(path);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            sqlite3 *db = nullptr;
            const char held = sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                                      && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK
                                  ? '1'
                                  : '0';
            (void)::write(ready[1], &held, 1);
            char byte = 0;
            (void)::read(release[0], &byte, 1); // returns once the holder is released
            sqlite3_close(db);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char held = '0';
        m_holding = m_child > 0 && ::read(ready[0], &held, 1) == 1 && held == '1';
        ::close(ready[0]);
    }
    ~SqliteLockHolder() { release(); }
    SqliteLockHolder(const SqliteLockHolder &) = delete;
    SqliteLockHolder &operator=(const SqliteLockHolder &) = delete;

    bool isHolding() const { return m_holding; }

    void release()
    {
        if (m_release >= 0)
            ::close(m_release);
        m_release = -1;
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
        m_child = -1;
        m_holding = false;
    }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_holding = false;
};
