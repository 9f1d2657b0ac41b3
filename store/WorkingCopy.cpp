#include "WorkingCopy.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>
#else
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const QString NotOurs = QStringLiteral("Not a copy this program left, but %1; it is left as it is. Move or delete it "
                                       "if it is not needed, and start again");
const QString ALink = QStringLiteral("Is a symbolic link; it is left as it is");
const QString OtherNames = QStringLiteral("Has other names (hard links); it is left as it is");
const QString NotRegular = QStringLiteral("Not a regular file");
const QString AnotherUser = QStringLiteral("Belongs to another user (user id %1); it is left as it is");
const QString HeldElsewhere = QStringLiteral("Held by another program (another start in this folder?); it is left as it is");
const QString ChangedMeanwhile = QStringLiteral("Was changed while the copy was put in its place; it is left as it is");
const QString NotWrittenHere = QStringLiteral("Is not the file this run wrote: another file was put in its place");
const QString ChangedSince = QStringLiteral("Was changed since this run wrote it");

// What stands at the path, for the reason a user reads.
QString describe(QByteArrayView head, qint64 size)
{
    if (head.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return QStringLiteral("an SQLite database of %1 bytes").arg(size);
    return QStringLiteral("a file of %1 bytes").arg(size);
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

bool WorkingCopy::fail(const QString &reason) const
{
    m_error = reason;
    return false;
}

bool WorkingCopy::fail(int code) const
{
    return fail(qt_error_string(code));
}

std::optional<FileDescriptor::Identity> WorkingCopy::identity() const
{
    return m_copy.identity();
}

#ifndef Q_OS_WIN

namespace {
// Read-only to everyone, so that ordinary programs cannot write into the copy; the owner must
// at least be able to read it, whatever the umask takes away.
constexpr mode_t CopyMode = 0444;

QString systemError(int code)
{
    return qt_error_string(code);
}

// Why what stands at the path is no file of ours to write or read; empty for a plain file.
QString notAPlainFile(mode_t mode)
{
    if (S_ISLNK(mode))
        return ALink;
    if (S_ISDIR(mode))
        return systemError(EISDIR);
    return S_ISREG(mode) ? QString() : NotRegular;
}

std::optional<FileDescriptor::Identity> identityOf(const struct stat &st)
{
    return FileDescriptor::Identity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

// A name no one else uses, beside the copy, for the moments a file needs a name of its own.
QByteArray privateName()
{
    return '.' + WorkingCopy::FileName + '-' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// Up to size bytes from the start of the file; fewer when the file is shorter.
QByteArray readUpTo(int fd, qsizetype size, int *error)
{
    QByteArray data(size, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data.data() + got, size_t(size - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = errno;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    data.truncate(got);
    return data;
}

// Under a file-size limit the write must fail with EFBIG rather than end the program; the
// signal is ignored only meanwhile, so programs started later get the default.
class FileSizeSignalIgnored
{
public:
    FileSizeSignalIgnored()
    {
#ifdef SIGXFSZ
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_set = ::sigaction(SIGXFSZ, &ignore, &m_saved) == 0;
#endif
    }
    ~FileSizeSignalIgnored()
    {
#ifdef SIGXFSZ
        if (m_set)
            ::sigaction(SIGXFSZ, &m_saved, nullptr);
#endif
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored &) = delete;
    FileSizeSignalIgnored &operator=(const FileSizeSignalIgnored &) = delete;

private:
#ifdef SIGXFSZ
    struct sigaction m_saved = {};
    bool m_set = false;
#endif
};

// 0, or why not all bytes were stored. A short write is followed by another one for the rest: it
// either finishes a write that a signal cut short or names the reason (ENOSPC, EFBIG).
int writeAll(int fd, QByteArrayView bytes)
{
    const FileSizeSignalIgnored ignored;
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        data += written;
        left -= written;
    }
    return 0;
}

// Gives a file the name `to`, never replacing what has that name; 0 or the system's error.
int moveNoReplace(int directory, const char *from, const char *to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(directory, from, directory, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    if (::linkat(directory, from, directory, to, 0) != 0)
        return errno;
    (void)::unlinkat(directory, from, 0);
    return 0;
}

// A file that no other program can have opened: unnamed where the system allows it, else under
// a private name. Created read-only for everyone; the descriptor itself may write.
class NewFile
{
public:
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;
    explicit NewFile(int directory) : m_directory(directory) {}
    // Whatever still has a private name was never put in place.
    ~NewFile()
    {
        if (!m_name.isEmpty() && m_name != WorkingCopy::FileName)
            (void)::unlinkat(m_directory, m_name.constData(), 0);
    }

    int create()
    {
#ifdef O_TMPFILE
        m_fd.reset(::openat(m_directory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, CopyMode));
        if (m_fd.isValid())
            return ownerCanRead();
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return errno;
#endif
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QByteArray name = privateName();
            m_fd.reset(::openat(m_directory, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                CopyMode));
            if (m_fd.isValid()) {
                m_name = name;
                return ownerCanRead();
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    FileDescriptor &descriptor() { return m_fd; }

    // Names the file `to` where nothing has that name yet; 0 or the system's error.
    int nameAs(const QByteArray &to)
    {
        int code = 0;
        if (!m_name.isEmpty()) {
            code = moveNoReplace(m_directory, m_name.constData(), to.constData());
        } else if (::linkat(m_fd.get(), "", m_directory, to.constData(), AT_EMPTY_PATH) != 0) {
            // Linking by descriptor needs a privilege; the process's own view of it does not.
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd.get());
            code = ::linkat(AT_FDCWD, self.constData(), m_directory, to.constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }
        if (!code)
            m_name = to;
        return code;
    }

    // Puts the file at the path in place of the leftover that was checked, and deletes that one;
    // should something else have come in its place meanwhile, everything is put back.
    QString replace(const FileDescriptor &leftover)
    {
        if (m_name.isEmpty()) {
            if (const int code = nameAs(privateName()))
                return systemError(code);
        }
        const char *copy = WorkingCopy::FileName.constData();
#ifdef RENAME_EXCHANGE
        if (::renameat2(m_directory, m_name.constData(), m_directory, copy, RENAME_EXCHANGE) == 0) {
            struct stat displaced = {};
            if (::fstatat(m_directory, m_name.constData(), &displaced, AT_SYMLINK_NOFOLLOW) == 0
                && identityOf(displaced) == leftover.identity()) {
                (void)::unlinkat(m_directory, m_name.constData(), 0);
                m_name = WorkingCopy::FileName;
                return QString();
            }
            (void)::renameat2(m_directory, m_name.constData(), m_directory, copy, RENAME_EXCHANGE);
            return ChangedMeanwhile;
        }
        if (errno != EINVAL && errno != ENOSYS)
            return systemError(errno);
#endif
        if (::renameat(m_directory, m_name.constData(), m_directory, copy) != 0)
            return systemError(errno);
        m_name = WorkingCopy::FileName;
        return QString();
    }

private:
    int ownerCanRead()
    {
        struct stat st = {};
        if (::fstat(m_fd.get(), &st) != 0)
            return errno;
        if (!(st.st_mode & S_IRUSR) && ::fchmod(m_fd.get(), (st.st_mode & 07777) | S_IRUSR) != 0)
            return errno;
        return 0;
    }

    int m_directory;
    FileDescriptor m_fd;
    QByteArray m_name; // empty while the file has no name
};

// Empty when what stands at the path may be replaced: nothing, or a whole or cut-short copy of
// these bytes that this user's killed run left, held by nobody. The file checked is kept open in
// *leftover, so the file replaced can be told from one put there since.
QString checkLeftover(int directory, QByteArrayView bytes, FileDescriptor *leftover)
{
    const char *name = WorkingCopy::FileName.constData();
    // Look before opening: what is not a plain file of ours is refused without being opened,
    // so a pipe cannot block us and a device or link target is never touched.
    struct stat standing = {};
    if (::fstatat(directory, name, &standing, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? QString() : systemError(errno);
    if (const QString reason = notAPlainFile(standing.st_mode); !reason.isEmpty())
        return reason;
    if (standing.st_uid != ::geteuid())
        return AnotherUser.arg(standing.st_uid);
    if (standing.st_nlink != 1)
        return OtherNames;
    FileDescriptor file(::openat(directory, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!file.isValid())
        return systemError(errno);
    struct stat opened = {};
    if (::fstat(file.get(), &opened) != 0)
        return systemError(errno);
    if (!S_ISREG(opened.st_mode) || opened.st_nlink != 1 || opened.st_uid != standing.st_uid
        || identityOf(opened) != identityOf(standing))
        return ChangedMeanwhile;
    // A second start in this folder, or any SQLite connection, keeps the file.
    if (file.lockedElsewhere())
        return HeldElsewhere;
    int code = 0;
    // One byte more than the image: a file longer than it cannot be a cut-short copy.
    const QByteArray head = readUpTo(file.get(), bytes.size() + 1, &code);
    if (code)
        return systemError(code);
    if (head.size() > bytes.size() || head != bytes.first(head.size()))
        return NotOurs.arg(describe(head, qint64(opened.st_size)));
    *leftover = std::move(file);
    return QString();
}

// Empty when the file under `name` is the one written, holding exactly the bytes written.
QString checkWritten(int directory, const QByteArray &name, const std::optional<FileDescriptor::Identity> &ours,
                     QByteArrayView written)
{
    const FileDescriptor file(
        ::openat(directory, name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!file.isValid())
        return systemError(errno);
    struct stat st = {};
    if (::fstat(file.get(), &st) != 0)
        return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return NotRegular;
    if (!ours || identityOf(st) != ours)
        return NotWrittenHere;
    // A file system may report the identity of whatever has the name now: the bytes decide.
    int code = 0;
    if (st.st_size != off_t(written.size()) || readUpTo(file.get(), written.size() + 1, &code) != written)
        return code ? systemError(code) : ChangedSince;
    return QString();
}
} // namespace

bool WorkingCopy::captureCurrentDirectory()
{
    m_error.clear();
    // The name as the system gives it: decoding it would turn bytes that are not UTF-8 into
    // a look-alike folder.
    QByteArray name(256, Qt::Uninitialized);
    while (!::getcwd(name.data(), size_t(name.size()))) {
        if (errno != ERANGE) {
            const int code = errno;
            m_directory.clear();
            m_directoryHandle.reset();
            m_directoryError = qt_error_string(code);
            return fail(m_directoryError);
        }
        name.resize(name.size() * 2);
    }
    name.truncate(qsizetype(qstrlen(name.constData())));
    return setDirectory(name);
}

bool WorkingCopy::setDirectory(const QByteArray &nativeDirectory)
{
    m_error.clear();
    m_copy.reset();
    m_directory.clear();
    m_directoryHandle.reset();
    m_directoryError = qt_error_string(ENOENT);
    if (nativeDirectory.isEmpty())
        return fail(m_directoryError);
#ifdef O_PATH
    const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC; // needs no read permission on the folder
#else
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    // Every later step works inside this very folder, even if its name is taken away meanwhile.
    m_directoryHandle.reset(::open(nativeDirectory.constData(), flags));
    if (!m_directoryHandle.isValid()) {
        m_directoryError = qt_error_string(errno);
        return fail(m_directoryError);
    }
    m_directory = nativeDirectory;
    m_directoryError.clear();
    return true;
}

bool WorkingCopy::write(QByteArrayView bytes)
{
    m_error.clear();
    m_copy.reset();
    if (!m_directoryHandle.isValid())
        return fail(m_directoryError);
    const int directory = m_directoryHandle.get();

    FileDescriptor leftover;
    if (const QString reason = checkLeftover(directory, bytes, &leftover); !reason.isEmpty())
        return fail(reason);

    // Written where no one else can reach it, then put in place whole: no file that stood at
    // the path is ever written into, and none of its permissions carry over.
    NewFile file(directory);
    if (const int code = file.create())
        return fail(code);
    int failure = writeAll(file.descriptor().get(), bytes);
    // Locked before it has the name: a second start never finds it unheld.
    if (!failure)
        failure = file.descriptor().lock(false);
    const QString placed = leftover.isValid() ? file.replace(leftover) : [&file] {
        const int code = file.nameAs(WorkingCopy::FileName);
        return code == EEXIST ? ChangedMeanwhile : code ? systemError(code) : QString();
    }();
    // The part a failed write stored stays at the path, for the next start to replace; it is
    // not held, so the next step meets the file as it is.
    if (failure)
        return fail(failure);
    if (!placed.isEmpty())
        return fail(placed);
    m_copy = std::move(file.descriptor());
    return true;
}

bool WorkingCopy::exists() const
{
    m_error.clear();
    if (!m_directoryHandle.isValid())
        return fail(m_directoryError);
    struct stat st = {};
    if (::fstatat(m_directoryHandle.get(), FileName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    const QString reason = notAPlainFile(st.st_mode);
    return reason.isEmpty() ? true : fail(reason);
}

bool WorkingCopy::remove(QByteArrayView written) noexcept
{
    m_error.clear();
    if (!m_copy.isValid() || !m_directoryHandle.isValid())
        return true;
    const FileDescriptor copy = std::move(m_copy);
    const int directory = m_directoryHandle.get();
    const auto ours = copy.identity();
    // Most files that are not ours are told at a look, and are not even moved.
    struct stat standing = {};
    if (::fstatat(directory, FileName.constData(), &standing, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? true : fail(errno);
    if (!S_ISREG(standing.st_mode))
        return fail(NotRegular);
    if (identityOf(standing) != ours)
        return fail(NotWrittenHere);
    // The file is taken out of everyone's way before it is checked, so the file checked is the
    // file deleted, whatever is renamed or exchanged at the path meanwhile.
    const QByteArray aside = privateName();
    if (const int code = moveNoReplace(directory, FileName.constData(), aside.constData()))
        return code == ENOENT ? true : fail(code);
    QString reason = checkWritten(directory, aside, ours, written);
    if (reason.isEmpty()) {
        if (::unlinkat(directory, aside.constData(), 0) == 0)
            return true;
        reason = systemError(errno);
    }
    if (moveNoReplace(directory, aside.constData(), FileName.constData()) != 0)
        reason += QStringLiteral("; it is now named %1").arg(QFile::decodeName(aside));
    return fail(reason);
}

#else // Q_OS_WIN: by path, as the platform has no directory handles for these calls.

bool WorkingCopy::captureCurrentDirectory()
{
    m_error.clear();
    return setDirectory(QFile::encodeName(QDir::toNativeSeparators(QDir::currentPath())));
}

bool WorkingCopy::setDirectory(const QByteArray &nativeDirectory)
{
    m_error.clear();
    m_copy.reset();
    m_directory = QFileInfo(QFile::decodeName(nativeDirectory)).isDir() ? nativeDirectory : QByteArray();
    m_directoryError = m_directory.isEmpty() ? qt_error_string(ENOENT) : QString();
    return m_directory.isEmpty() ? fail(m_directoryError) : true;
}

bool WorkingCopy::write(QByteArrayView bytes)
{
    m_error.clear();
    if (m_directory.isEmpty())
        return fail(m_directoryError);
    const QString name = QFile::decodeName(path());
    const QFileInfo info(name);
    if (info.isSymLink() || info.isJunction())
        return fail(ALink);
    if (info.exists() && !info.isFile())
        return fail(NotRegular);
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite))
        return fail(file.errorString());
    const QByteArray standing = file.read(bytes.size() + 1);
    if (standing.size() > bytes.size() || standing != bytes.first(standing.size()))
        return fail(NotOurs.arg(describe(standing, file.size())));
    if (!file.resize(0) || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
        return fail(file.errorString());
    return true;
}

bool WorkingCopy::exists() const
{
    m_error.clear();
    const QFileInfo info(QFile::decodeName(path()));
    if (!m_directory.isEmpty() && info.isFile() && !info.isSymLink())
        return true;
    return fail(info.exists() ? NotRegular : qt_error_string(ENOENT));
}

bool WorkingCopy::remove(QByteArrayView written) noexcept
{
    m_error.clear();
    const QString name = QFile::decodeName(path());
    if (m_directory.isEmpty() || !QFileInfo(name).isFile())
        return true;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() != written.size() || file.readAll() != written)
        return fail(ChangedSince);
    file.close();
    return QFile::remove(name) ? true : fail(file.errorString());
}

#endif
