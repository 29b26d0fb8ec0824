#pragma once

#include <QByteArray>
#include <QString>

namespace vxl {

// An open descriptor, closed when it goes out of scope.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    // Closes now; false (errno set) when the close reported an error, which for a file being
    // written can be the first sign that its bytes did not reach the disk.
    bool close();

private:
    int m_fd;
};

// The folder part of a native path ("." for a bare name).
[[nodiscard]] QByteArray FolderOf(const QByteArray &nativePath);

// Makes the names in a folder durable: a new or removed name only survives a crash once its
// folder is synced. File systems that cannot sync a folder (EINVAL, ENOTSUP) count as success.
// False with errno set otherwise.
[[nodiscard]] bool SyncFolder(const QByteArray &folder);
// True for the errors of a file system that cannot sync a folder at all.
[[nodiscard]] bool FolderSyncUnsupported(int error);

// Every byte from the descriptor's position to its end; false with errno set on a read error.
[[nodiscard]] bool ReadToEnd(int fd, QByteArray *out);

// The system's words for an error number (an unknown error counts as an I/O error).
[[nodiscard]] QString ErrorText(int error);

} // namespace vxl
