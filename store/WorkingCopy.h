#pragma once

#include <QByteArrayView>
#include <QString>

// The file the poem database is written to at start-up and removed from at exit.
class WorkingCopy
{
public:
    static inline const QString FileName = QStringLiteral("Tornevi.db");

    // The directory and the name are joined as plain text, exactly as the directory was captured;
    // an empty directory gives an empty path, which every operation here refuses.
    static QString pathIn(const QString &directory);

    // Creates or truncates the file, held exclusively, and stores all bytes with one write.
    // Fails (and leaves an existing file untouched) when another process holds a lock on it;
    // a short write is a failure too. Returns false on any failure.
    static bool write(const QString &path, QByteArrayView bytes);

    // Deletes the file if a regular file stands there; silent either way.
    static void remove(const QString &path);

    // Whether something other than a directory stands at the path.
    static bool exists(const QString &path);
};
