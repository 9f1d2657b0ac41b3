#include "WorkingCopy.h"

#include "PoemSchema.h"

#include <cerrno>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFile>
#include <QFileInfo>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// A poem database's first page is at most this long; enough to read its schema.
constexpr qsizetype LargestPage = 65536;

const QString NotOurs = QStringLiteral("Not a copy of the poem database; it is left as it is");
const QString ALink = QStringLiteral("Is a symbolic link; it is left as it is");
const QString OtherNames = QStringLiteral("Has other names (hard links); it is left as it is");
const QString NotRegular = QStringLiteral("Not a regular file");

// A killed run leaves a whole or partly written copy of the same bytes; an older program leaves
// a poem database of its own edition. Anything else belongs to somebody else.
bool leftByThisProgram(QByteArrayView standing, QByteArrayView bytes)
{
    if (standing.size() <= bytes.size() && standing == bytes.first(standing.size()))
        return true;
    return PoemSchema::definesPoemTable(standing);
}
} // namespace

QByteArray WorkingCopy::pathIn(const QByteArray &nativeDirectory)
{
    // A working directory that could not be read (it was removed under us) must not turn into
    // the root directory: no path at all makes every later step fail with its own message.
    if (nativeDirectory.isEmpty())
        return QByteArray();
#ifdef Q_OS_WIN
    return nativeDirectory + '\\' + FileName;
#else
    return nativeDirectory + '/' + FileName;
#endif
}

bool WorkingCopy::fail(QString *error, const QString &reason) const
{
    if (error)
        *error = reason;
    return false;
}

bool WorkingCopy::fail(QString *error, int code) const
{
    return fail(error, qt_error_string(code));
}

#ifndef Q_OS_WIN

namespace {
// Why what stands at the path is no file of ours to write or read; empty for a plain file.
QString notAPlainFile(mode_t mode)
{
    if (S_ISLNK(mode))
        return ALink;
    if (S_ISDIR(mode))
        return qt_error_string(EISDIR);
    return S_ISREG(mode) ? QString() : NotRegular;
}
} // namespace

bool WorkingCopy::captureCurrentDirectory(QString *error)
{
    // The name as the system gives it: decoding it would turn bytes that are not UTF-8 into
    // a look-alike folder.
    QByteArray name(256, Qt::Uninitialized);
    while (!::getcwd(name.data(), size_t(name.size()))) {
        if (errno != ERANGE) {
            const int code = errno;
            m_directory.clear();
            m_directoryHandle.reset();
            m_directoryError = code;
            return fail(error, code);
        }
        name.resize(name.size() * 2);
    }
    name.truncate(qsizetype(qstrlen(name.constData())));
    return setDirectory(name, error);
}

bool WorkingCopy::setDirectory(const QByteArray &nativeDirectory, QString *error)
{
    m_copy.reset();
    m_directory.clear();
    m_directoryHandle.reset();
    m_directoryError = ENOENT;
    if (nativeDirectory.isEmpty())
        return fail(error, m_directoryError);
#ifdef O_PATH
    const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC; // needs no read permission on the folder
#else
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    // Every later step works inside this very folder, even if its name is taken away meanwhile.
    m_directoryHandle.reset(::open(nativeDirectory.constData(), flags));
    if (!m_directoryHandle.isValid()) {
        m_directoryError = errno;
        return fail(error, m_directoryError);
    }
    m_directory = nativeDirectory;
    m_directoryError = 0;
    return true;
}

bool WorkingCopy::write(QByteArrayView bytes, QString *error)
{
    m_copy.reset();
    if (!m_directoryHandle.isValid())
        return fail(error, m_directoryError);
    const int directory = m_directoryHandle.get();
    const char *name = FileName.constData();

    // Look before opening: what is not a plain file of ours is refused without being opened,
    // so a pipe cannot block us and a device or link target is never touched.
    struct stat standing = {};
    const bool existed = ::fstatat(directory, name, &standing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existed && errno != ENOENT)
        return fail(error, errno);
    if (existed) {
        if (const QString reason = notAPlainFile(standing.st_mode); !reason.isEmpty())
            return fail(error, reason);
        if (standing.st_nlink != 1)
            return fail(error, OtherNames);
    }
    // O_EXCL for a new file and O_NOFOLLOW for an old one: whatever was put there since the
    // look makes the open fail instead of being written. No O_TRUNC: an existing file is emptied
    // only once we hold it and know it is ours.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (existed ? 0 : O_CREAT | O_EXCL);
    FileDescriptor file(::openat(directory, name, flags, 0666));
    if (!file.isValid())
        return fail(error, errno);
    struct stat opened = {};
    if (::fstat(file.get(), &opened) != 0)
        return fail(error, errno);
    if (!S_ISREG(opened.st_mode) || opened.st_nlink != 1
        || (existed && (opened.st_dev != standing.st_dev || opened.st_ino != standing.st_ino)))
        return fail(error, NotOurs);
    // Another process that holds the file (a second start, any SQLite connection) keeps it.
    if (const int code = file.lock(true))
        return fail(error, code);

    if (existed && opened.st_size > 0) {
        // One byte more than the image: a file longer than it cannot be a partial copy.
        QByteArray standingBytes(qMin(qsizetype(opened.st_size), qMax(bytes.size() + 1, LargestPage)), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < standingBytes.size()) {
            const ssize_t n = ::pread(file.get(), standingBytes.data() + got, size_t(standingBytes.size() - got), off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return fail(error, errno);
            if (n == 0)
                break;
            got += n;
        }
        standingBytes.truncate(got);
        if (!leftByThisProgram(standingBytes, bytes))
            return fail(error, NotOurs);
    }

    int failure = ::ftruncate(file.get(), 0) == 0 ? 0 : errno;
    // A short write is followed by another one for the rest: it either finishes a write that a
    // signal cut short or names the reason (ENOSPC, EFBIG) without storing anything more.
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (!failure && left > 0) {
        const ssize_t written = ::write(file.get(), data, size_t(left));
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
    // Held for the run with a shared lock: a second start cannot replace it, SQLite elsewhere
    // cannot change it, and removal can tell it from a file put in its place.
    if (!failure)
        failure = file.lock(false);
    m_copy = std::move(file);
    return failure ? fail(error, failure) : true;
}

bool WorkingCopy::exists(QString *error) const
{
    if (!m_directoryHandle.isValid())
        return fail(error, m_directoryError);
    struct stat st = {};
    if (::fstatat(m_directoryHandle.get(), FileName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(error, errno);
    const QString reason = notAPlainFile(st.st_mode);
    return reason.isEmpty() ? true : fail(error, reason);
}

void WorkingCopy::remove() noexcept
{
    if (!m_copy.isValid() || !m_directoryHandle.isValid())
        return;
    struct stat ours = {};
    struct stat standing = {};
    if (::fstat(m_copy.get(), &ours) == 0
        && ::fstatat(m_directoryHandle.get(), FileName.constData(), &standing, AT_SYMLINK_NOFOLLOW) == 0
        && ours.st_dev == standing.st_dev && ours.st_ino == standing.st_ino)
        (void)::unlinkat(m_directoryHandle.get(), FileName.constData(), 0);
    m_copy.reset();
}

#else // Q_OS_WIN: by path, as the platform has no directory handles for these calls.

bool WorkingCopy::captureCurrentDirectory(QString *error)
{
    return setDirectory(QFile::encodeName(QDir::toNativeSeparators(QDir::currentPath())), error);
}

bool WorkingCopy::setDirectory(const QByteArray &nativeDirectory, QString *error)
{
    m_copy.reset();
    m_directory = QFileInfo(QFile::decodeName(nativeDirectory)).isDir() ? nativeDirectory : QByteArray();
    m_directoryError = m_directory.isEmpty() ? ENOENT : 0;
    return m_directory.isEmpty() ? fail(error, m_directoryError) : true;
}

bool WorkingCopy::write(QByteArrayView bytes, QString *error)
{
    if (m_directory.isEmpty())
        return fail(error, m_directoryError);
    const QString name = QFile::decodeName(path());
    const QFileInfo info(name);
    if (info.isSymLink() || info.isJunction())
        return fail(error, ALink);
    if (info.exists() && !info.isFile())
        return fail(error, NotRegular);
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite))
        return fail(error, file.errorString());
    const QByteArray standing = file.read(qMax(bytes.size(), LargestPage) + 1);
    if (!standing.isEmpty() && !leftByThisProgram(standing, bytes))
        return fail(error, NotOurs);
    if (!file.resize(0) || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
        return fail(error, file.errorString());
    return true;
}

bool WorkingCopy::exists(QString *error) const
{
    const QFileInfo info(QFile::decodeName(path()));
    if (!m_directory.isEmpty() && info.isFile() && !info.isSymLink())
        return true;
    return fail(error, info.exists() ? NotRegular : qt_error_string(ENOENT));
}

void WorkingCopy::remove() noexcept
{
    const QString name = QFile::decodeName(path());
    if (!m_directory.isEmpty() && QFileInfo(name).isFile())
        QFile::remove(name);
}

#endif
