#include "WorkingCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString WorkingCopy::pathIn(const QString &directory)
{
    // A working directory that could not be read (it was removed under us) must not turn into
    // the root directory: no path at all makes every later step fail with its own message.
    if (directory.isEmpty())
        return QString();
    return directory + QDir::separator() + FileName;
}

#ifdef Q_OS_WIN
bool WorkingCopy::write(const QString &path, QByteArrayView bytes)
{
    // Share mode 0: while we write, nobody else may open the file, and a file someone holds
    // open cannot be replaced.
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.isEmpty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    const BOOL closed = CloseHandle(file);
    return ok && closed && qsizetype(written) == bytes.size();
}
#else
bool WorkingCopy::write(const QString &path, QByteArrayView bytes)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return false;
    // No O_TRUNC: an existing file is emptied only after we hold the lock, so a copy that
    // another process (SQLite included) has locked is left exactly as it is.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;

    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // the whole file and beyond, where SQLite keeps its lock bytes
#ifdef F_OFD_SETLK
    const int locked = ::fcntl(fd, F_OFD_SETLK, &lock);
#else
    const int locked = ::fcntl(fd, F_SETLK, &lock);
#endif
    bool ok = locked == 0;

    struct stat st = {};
    if (ok)
        ok = ::fstat(fd, &st) == 0;
    if (ok && S_ISREG(st.st_mode))
        ok = ::ftruncate(fd, 0) == 0;
    if (ok && !bytes.isEmpty()) {
        ssize_t written;
        do {
            written = ::write(fd, bytes.data(), size_t(bytes.size()));
        } while (written < 0 && errno == EINTR);
        ok = written == ssize_t(bytes.size());
    }
    // Closing drops the lock; a failing close can mean the data never reached the file.
    if (::close(fd) != 0)
        ok = false;
    return ok;
}
#endif

void WorkingCopy::remove(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

bool WorkingCopy::exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}
