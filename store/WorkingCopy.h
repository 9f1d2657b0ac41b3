#pragma once

#include <QByteArrayView>
#include <QString>

// The file the poem database is written to at start-up and removed from at exit.
// Only a regular file (or a symlink to one) counts as the working copy: a pipe, a device or a
// directory of that name is never opened, written, blocked on or removed.
class WorkingCopy
{
public:
    static inline const QString FileName = QStringLiteral("Tornevi.db");

    // The directory and the name are joined as plain text, exactly as the directory was captured;
    // an empty directory gives an empty path, which every operation here refuses.
    static QString pathIn(const QString &directory);

    // Creates or truncates the file, held exclusively, and stores all bytes. Fails (and leaves
    // what stands there untouched) when something other than a regular file stands at the path
    // or another process holds a lock on it; running out of space or a file-size limit is a
    // failure too, and the part written so far stays. On failure *error gets the system's reason.
    static bool write(const QString &path, QByteArrayView bytes, QString *error = nullptr);

    // Deletes the file if a regular file stands there; silent either way.
    static void remove(const QString &path);

    // Whether a regular file stands at the path; if not, *error gets the reason.
    static bool exists(const QString &path, QString *error = nullptr);
};
