#pragma once

#include "FileDescriptor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The file the poem database is written to at start-up and removed from at exit, in the
// directory captured at start-up. It touches nothing but its own: the copy is written into a new
// file of its own and only then put at the path, replacing nothing but a copy this program left
// there (a regular file of the user's own, with no other name, holding the first bytes of this
// very database), and the removal takes only the very file written here, as it was written.
// Directory and path are kept as the operating system names them, whatever bytes that takes.
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

    // Every operation returns false when it failed, and errorString() then says why; it is empty
    // after an operation that succeeded.
    QString errorString() const { return m_error; }

    // The process's current directory, or a named one. On failure every later operation fails
    // with the same reason.
    bool captureCurrentDirectory();
    bool setDirectory(const QByteArray &nativeDirectory);
    QByteArray directory() const { return m_directory; }
    QByteArray path() const { return pathIn(m_directory); }

    // Writes all bytes into a new file, read-only to everyone, and puts it at the path; the copy
    // is then held (shared-locked) until remove() or destruction. Fails, leaving what stands at
    // the path as it is, when that is not a leftover of ours or another process holds it. A
    // write that fails (no space, a file-size limit) still puts the part written at the path,
    // where the next start replaces it, and says why.
    bool write(QByteArrayView bytes);

    // Whether a regular file (not a link) stands at the path; if not, errorString() says why.
    bool exists() const;

    // The file written and held, for those who must read that very file and no other.
    std::optional<FileDescriptor::Identity> identity() const;

    // Deletes the copy if the file at the path is still the one written here and still holds
    // exactly the bytes written. Otherwise it is kept, and errorString() says why. A copy that
    // is gone already is no failure.
    bool remove(QByteArrayView written) noexcept;

private:
    bool fail(const QString &reason) const;
    bool fail(int code) const;   // the system's error number

    QByteArray m_directory;
    FileDescriptor m_directoryHandle;
    QString m_directoryError;   // why there is no directory, empty while there is one
    FileDescriptor m_copy; // the file written, held for the run
    mutable QString m_error;
};
