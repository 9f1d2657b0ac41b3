#include "FileDescriptor.h"

#include <cerrno>
#include <cstdlib>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef _WIN32
namespace {
struct flock wholeFile(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

#ifdef F_OFD_SETLK
constexpr int SetLock = F_OFD_SETLK;
constexpr int GetLock = F_OFD_GETLK;
#else
constexpr int SetLock = F_SETLK;
constexpr int GetLock = F_GETLK;
#endif
} // namespace
#endif

std::optional<FileDescriptor::Identity> FileDescriptor::identity() const
{
#ifdef _WIN32
    return std::nullopt;
#else
    struct stat st = {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return std::nullopt;
    return Identity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
#endif
}

int FileDescriptor::lock(bool exclusive) const
{
#ifdef _WIN32
    (void)exclusive;
    return m_fd >= 0 ? 0 : EBADF;
#else
    struct flock lock = wholeFile(exclusive ? F_WRLCK : F_RDLCK);
    return ::fcntl(m_fd, SetLock, &lock) == 0 ? 0 : errno;
#endif
}

bool FileDescriptor::lockedElsewhere() const
{
#ifdef _WIN32
    return false;
#else
    // A write lock would conflict with any lock somebody else holds, shared or not.
    struct flock lock = wholeFile(F_WRLCK);
    return ::fcntl(m_fd, GetLock, &lock) != 0 || lock.l_type != F_UNLCK;
#endif
}

int FileDescriptor::close() noexcept
{
    if (m_fd < 0)
        return 0;
#ifdef _WIN32
    m_fd = -1;
    return 0;
#else
    return ::close(std::exchange(m_fd, -1)) == 0 ? 0 : errno;
#endif
}

void FileDescriptor::reset(int fd) noexcept
{
    close();
    m_fd = fd;
}

int FileDescriptor::countOpen(const Identity &file)
{
#ifdef _WIN32
    (void)file;
    return -1;
#else
    DIR *listing = ::opendir("/proc/self/fd");
    if (!listing)
        listing = ::opendir("/dev/fd");
    if (!listing)
        return -1;
    const int own = ::dirfd(listing);
    int count = 0;
    while (const dirent *entry = ::readdir(listing)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        struct stat st = {};
        if (end == entry->d_name || *end || fd == own || ::fstat(int(fd), &st) != 0)
            continue;
        if (Identity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)} == file)
            ++count;
    }
    ::closedir(listing);
    return count;
#endif
}
