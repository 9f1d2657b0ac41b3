#pragma once

#include "FileDescriptor.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

struct sqlite3;

// The one connection to the working copy. The handle is owned here and closed with it.
// A failing open returns false and leaves SQLite's or the system's message in errorString().
// SQLite reads the file as it stands, read-only: journals or WAL files found beside it are neither
// replayed nor removed. The connection itself holds a shared lock on the file for as long as it is open,
// so other connections may read it but not commit a change.
class SqliteConnection : public QObject
{
    Q_OBJECT
public:
    explicit SqliteConnection(QObject *parent = nullptr);
    ~SqliteConnection() override;

    // With a file given, open() fails unless SQLite reads that very file: a file put at the path
    // after it was written is refused.
    void setDatabase(const QByteArray &nativePath, std::optional<FileDescriptor::Identity> file = std::nullopt)
    {
        m_database = nativePath;
        m_file = file;
    }

    bool isOpen() const { return m_db != nullptr; }
    bool open();            // false and closed on any failure; errorString() says why
    void close() noexcept;
    QString errorString() const { return m_error; }

    sqlite3 *handle() const { return m_db; }

    static QStringList pragmas();
    // The longest path, in bytes, that SQLite can open.
    static qsizetype maxPathLength();

private:
    bool fail(const QString &message);

    QByteArray m_database;
    std::optional<FileDescriptor::Identity> m_file;
    sqlite3 *m_db = nullptr;
    FileDescriptor m_lock;
    QString m_error;
};
