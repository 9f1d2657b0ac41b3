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

namespace {
void report(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

#ifndef Q_OS_WIN
// Only a regular file may be opened: opening a pipe or a device can block or act on the device.
QString notRegularReason(mode_t mode)
{
    return S_ISDIR(mode) ? qt_error_string(EISDIR) : QStringLiteral("Not a regular file");
}
#endif
} // namespace

QString WorkingCopy::pathIn(const QString &directory)
{
    // A working directory that could not be read (it was removed under us) must not turn into
    // the root directory: no path at all makes every later step fail with its own message.
    if (directory.isEmpty())
        return QString();
    return directory + QDir::separator() + FileName;
}

#ifdef Q_OS_WIN
bool WorkingCopy::write(const QString &path, QByteArrayView bytes, QString *error)
{
    if (path.isEmpty()) {
        report(error, qt_error_string(ERROR_PATH_NOT_FOUND));
        return false;
    }
    // Share mode 0: while we write, nobody else may open the file, and a file someone holds
    // open cannot be replaced.
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        report(error, qt_error_string(int(GetLastError())));
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        report(error, QStringLiteral("Not a regular file"));
        return false;
    }
    DWORD written = 0;
    BOOL ok = bytes.isEmpty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    DWORD code = ok ? DWORD(ERROR_SUCCESS) : GetLastError();
    if (ok && qsizetype(written) != bytes.size()) {
        ok = FALSE;
        code = ERROR_DISK_FULL;
    }
    if (!CloseHandle(file) && ok) {
        ok = FALSE;
        code = GetLastError();
    }
    if (!ok)
        report(error, qt_error_string(int(code)));
    return ok;
}
#else
bool WorkingCopy::write(const QString &path, QByteArrayView bytes, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty()) {
        report(error, qt_error_string(ENOENT));
        return false;
    }
    // Look before opening: a pipe, device or directory at the path is refused untouched.
    struct stat st = {};
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        report(error, notRegularReason(st.st_mode));
        return false;
    }
    // No O_TRUNC: an existing file is emptied only after we hold the lock, so a copy that
    // another process (SQLite included) has locked is left exactly as it is. O_NONBLOCK and
    // O_NOCTTY keep a pipe or terminal swapped in after the look from blocking or adopting us.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) {
        report(error, qt_error_string(errno));
        return false;
    }
    int failure = 0;
    QString reason;
    if (::fstat(fd, &st) != 0)
        failure = errno;
    else if (!S_ISREG(st.st_mode))
        reason = notRegularReason(st.st_mode);

    if (!failure && reason.isEmpty()) {
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 0; // the whole file and beyond, where SQLite keeps its lock bytes
#ifdef F_OFD_SETLK
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0)
#else
        if (::fcntl(fd, F_SETLK, &lock) != 0)
#endif
            failure = errno;
    }
    if (!failure && reason.isEmpty() && ::ftruncate(fd, 0) != 0)
        failure = errno;
    // A short write is followed by another one for the rest: it either finishes a write that a
    // signal cut short or names the reason (ENOSPC, EFBIG) without storing anything more.
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (!failure && reason.isEmpty() && left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno != EINTR)
                failure = errno;
        } else if (written == 0) {
            failure = ENOSPC;
        } else {
            data += written;
            left -= written;
        }
    }
    // Closing drops the lock; a failing close can mean the data never reached the file.
    if (::close(fd) != 0 && !failure && reason.isEmpty())
        failure = errno;
    if (failure)
        reason = qt_error_string(failure);
    if (!reason.isEmpty()) {
        report(error, reason);
        return false;
    }
    return true;
}
#endif

void WorkingCopy::remove(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

bool WorkingCopy::exists(const QString &path, QString *error)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isFile())
        return true;
    report(error, info.exists() ? qt_error_string(ERROR_DIRECTORY) : qt_error_string(ERROR_FILE_NOT_FOUND));
    return false;
#else
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (native.isEmpty()) {
        report(error, qt_error_string(ENOENT));
        return false;
    }
    if (::stat(native.constData(), &st) != 0) {
        report(error, qt_error_string(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        report(error, notRegularReason(st.st_mode));
        return false;
    }
    return true;
#endif
}
