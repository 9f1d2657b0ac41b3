#pragma once

#include <QObject>
#include <QString>

struct sqlite3;

// The one connection to the working copy. The handle is owned here and closed with it.
class SqliteConnection : public QObject
{
    Q_OBJECT
public:
    explicit SqliteConnection(QObject *parent = nullptr);
    ~SqliteConnection() override;

    QString database() const { return m_database; }
    void setDatabase(const QString &path) { m_database = path; }

    bool isOpen() const { return m_db != nullptr; }
    void open();            // throws DatabaseError and stays closed on any failure
    void close() noexcept;

    sqlite3 *handle() const { return m_db; }

    static QStringList pragmas();

private:
    QString m_database;
    sqlite3 *m_db = nullptr;
};
