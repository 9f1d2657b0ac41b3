#pragma once

#include "FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The file the poem database is written to at start-up and removed from at exit, in the
// directory captured at start-up. It touches nothing but its own: a file at the path is replaced
// only when this program could have left it there (a whole or partly written copy of the same
// bytes, or a poem database of another edition), never through a link, and the removal takes
// only the very file this object wrote. Directory and path are kept as the operating system
// names them, whatever bytes that takes.
class WorkingCopy
{
public:
    static inline const QByteArray FileName = QByteArrayLiteral("Tornevi.db");

    // The directory and the name are joined as plain bytes, exactly as the directory was
    // captured; no directory gives no path, which every operation here refuses.
    static QByteArray pathIn(const QByteArray &nativeDirectory);

    WorkingCopy() = default;
    // Gives back what it holds; the copy stays for the next start to replace.
    ~WorkingCopy() = default;

    // The process's current directory, or a named one. On failure *error says why, and every
    // later operation fails with that reason.
    bool captureCurrentDirectory(QString *error = nullptr);
    bool setDirectory(const QByteArray &nativeDirectory, QString *error = nullptr);
    QByteArray directory() const { return m_directory; }
    QByteArray path() const { return pathIn(m_directory); }

    // Creates the copy, or replaces one this program left, and stores all bytes; the copy is
    // then held (shared-locked) until remove() or destruction. Fails, leaving what stands at the
    // path as it is, when that is not ours or another process holds it; running out of space
    // or a file-size limit is a failure too, and the part written so far stays.
    bool write(QByteArrayView bytes, QString *error = nullptr);

    // Whether a regular file (not a link) stands at the path; if not, *error gets the reason.
    bool exists(QString *error = nullptr) const;

    // Deletes the copy if the file at the path is still the one written here; silent.
    void remove() noexcept;

private:
    bool fail(QString *error, const QString &reason) const;
    bool fail(QString *error, int code) const;

    QByteArray m_directory;
    FileDescriptor m_directoryHandle;
    int m_directoryError = 0;
    FileDescriptor m_copy; // the file written, held for the run
};
