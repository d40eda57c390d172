#include "common/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace k7 {
namespace {

namespace fs = std::filesystem;

// The file a path finally names: symbolic links followed (relative ones from their folder),
// also when the last one points to a file that does not exist yet.
fs::path followLinks(fs::path p) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

std::optional<FileRefusal> kindRefusal(const std::string& path, mode_t mode) {
    const char* kind = S_ISFIFO(mode)   ? "a named pipe (FIFO)"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : nullptr;
    if (!kind) return std::nullopt;
    return FileRefusal{0, path + " is " + kind + ", not a regular file", true};
}

FileRefusal systemRefusal(int err) {
    return {err, std::strerror(err), false};
}

// Clears O_NONBLOCK, which only served to open a FIFO without waiting for its other end.
void makeBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// The descriptor when it is a regular file; closed and refused otherwise (the file was
// swapped for a special one between the check and the open).
int keepIfRegular(int fd, const std::string& path, FileRefusal* refusal) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *refusal = systemRefusal(errno);
    } else if (auto r = kindRefusal(path, st.st_mode)) {
        *refusal = *r;
    } else {
        makeBlocking(fd);
        return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

std::optional<FileRefusal> specialFileRefusal(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return kindRefusal(path, st.st_mode);
}

std::optional<FileRefusal> writeRefusal(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    if (auto r = kindRefusal(path, st.st_mode)) return r;
    if (S_ISDIR(st.st_mode)) return std::nullopt;
    // Root may write a file without any write permission: honour the read-only mark as a
    // plain user's write would.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return FileRefusal{EACCES, path + " is read-only", true};
    }
    if (::access(path.c_str(), W_OK) != 0) return systemRefusal(errno);
    return std::nullopt;
}

int openRegularFileToRead(const std::string& path, FileRefusal* refusal) {
    if (auto r = specialFileRefusal(path)) {
        *refusal = *r;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *refusal = systemRefusal(errno);
        return -1;
    }
    return keepIfRegular(fd, path, refusal);
}

int createRegularFile(const std::string& path, FileRefusal* refusal) {
    if (auto r = writeRefusal(path)) {
        *refusal = *r;
        return -1;
    }
    // Emptied only once known to be a regular file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *refusal = systemRefusal(errno);
        return -1;
    }
    if (keepIfRegular(fd, path, refusal) < 0) return -1;
    if (::ftruncate(fd, 0) != 0) {
        *refusal = systemRefusal(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, FileRefusal* refusal) {
    const fs::path target = followLinks(path);
    if (auto r = writeRefusal(path)) {
        *refusal = *r;
        return false;
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A name of its own beside the target, so no file of the user's is ever overwritten.
    std::string tmp = target.string() + ".k7save-XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        *refusal = systemRefusal(errno);
        return false;
    }
    // The old file's permissions, or those a plain new file would get (mkstemp makes it
    // private).
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int err = ::fchmod(fd, mode) != 0 ? errno : 0;
    // The new bytes reach the disk before they take the old file's name.
    for (std::size_t done = 0; done < bytes.size() && err == 0;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) err = errno;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        std::remove(tmp.c_str());
        *refusal = systemRefusal(err);
        return false;
    }
    return true;
}

std::string namingFile(const std::string& path, const std::string& error) {
    return error.rfind(path, 0) == 0 ? error : path + ": " + error;
}

void failWritesPastFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace k7
