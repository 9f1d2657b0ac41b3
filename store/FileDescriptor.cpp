#include "FileDescriptor.h"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

int FileDescriptor::lock(bool exclusive) const
{
#ifdef _WIN32
    (void)exclusive;
    return m_fd >= 0 ? 0 : EBADF;
#else
    struct flock lock = {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
#ifdef F_OFD_SETLK
    return ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
#else
    return ::fcntl(m_fd, F_SETLK, &lock) == 0 ? 0 : errno;
#endif
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
