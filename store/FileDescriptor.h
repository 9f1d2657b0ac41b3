#pragma once

#include <cstdint>
#include <optional>
#include <utility>

// One open file descriptor of the system, closed with its owner. Locks are open-file-description
// locks where the system has them, so closing another descriptor of the same file (SQLite does)
// never drops them.
class FileDescriptor
{
public:
    // Which file a descriptor leads to, whatever its names are now.
    struct Identity
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const Identity &a, const Identity &b)
        {
            return a.device == b.device && a.inode == b.inode;
        }
        friend bool operator!=(const Identity &a, const Identity &b) { return !(a == b); }
    };

    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    std::optional<Identity> identity() const;

    // Locks the whole file and beyond (where SQLite keeps its lock bytes) without waiting:
    // shared keeps writers out, exclusive everyone. 0, or the system's error number.
    int lock(bool exclusive) const;
    // Whether another process or open file holds a lock on any part of the file.
    bool lockedElsewhere() const;
    // Closes now; 0, or the error the close reported (a write may not have reached the file).
    int close() noexcept;
    void reset(int fd = -1) noexcept;

    // How many of this process's descriptors lead to the file; -1 where the system cannot say.
    static int countOpen(const Identity &file);

private:
    int m_fd = -1;
};
