#pragma once

#include "FileDescriptor.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

struct sqlite3;

// The one connection to the working copy. The handle is owned here and closed with it.
// SQLite reads the file as it stands, read-only: journals or WAL files found beside it are neither
// replayed nor removed. The connection itself holds a shared lock on the file for as long as it is open,
// so other connections may read it but not commit a change.
class SqliteConnection : public QObject
{
    Q_OBJECT
public:
    explicit SqliteConnection(QObject *parent = nullptr);
    ~SqliteConnection() override;

    QString database() const;
    QByteArray nativeDatabase() const { return m_database; }
    // With a file given, open() fails unless SQLite reads that very file: a file put at the path
    // after it was written is refused.
    void setDatabase(const QByteArray &nativePath, std::optional<FileDescriptor::Identity> file = std::nullopt)
    {
        m_database = nativePath;
        m_file = file;
    }
    void setDatabase(const QString &path);

    bool isOpen() const { return m_db != nullptr; }
    void open();            // throws DatabaseError and stays closed on any failure
    void close() noexcept;

    sqlite3 *handle() const { return m_db; }

    static QStringList pragmas();
    // The longest path, in bytes, that SQLite can open.
    static qsizetype maxPathLength();

private:
    QByteArray m_database;
    std::optional<FileDescriptor::Identity> m_file;
    sqlite3 *m_db = nullptr;
    FileDescriptor m_lock;
};
