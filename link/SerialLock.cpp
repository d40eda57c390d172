#include "link/SerialLock.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/NumberText.h"
#include "common/TextFile.h"

namespace k7 {
namespace {

// Time for another program to write the process number into the lock file it just made.
constexpr std::time_t kWritingSeconds = 2;

bool accessible(const std::string& path, int mode) {
    return ::access(path.c_str(), mode) == 0;
}

// The process number of a lock file's first line ("1234", or "      1234" as other programs
// write it); 0 when there is none.
long lockPid(const std::string& line) {
    const std::string t = trim(line);
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stol(t);
}

bool processLives(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string thisHost() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

}  // namespace

const std::vector<std::string>& serialLockFolders() {
    static const std::vector<std::string> folders = {
        "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
        "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};
    return folders;
}

std::string serialLockPath(const std::string& device, const std::vector<std::string>& folders) {
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    for (const std::string& folder : folders) {
        const std::string path = folder + "/LCK.." + name;
        if (accessible(folder, R_OK) && (accessible(path, F_OK) || accessible(folder, W_OK))) {
            return path;
        }
    }
    return {};
}

std::optional<StaleLock> removeStaleSerialLock(const std::string& lockPath) {
    struct stat st {};
    if (lockPath.empty() || ::lstat(lockPath.c_str(), &st) != 0) return std::nullopt;
    StaleLock lock{lockPath, false, false, {}};
    // Qt writes the process number, the program's name and the host's name, a line each.
    const FirstLines file = readFirstLines(lockPath, 3, 256);
    if (file.status == ReadStatus::Missing) return std::nullopt;  // gone meanwhile
    if (file.status != ReadStatus::Ok) {
        lock.unreadable = true;
        lock.error = file.error;
        return lock;
    }
    const long pid = file.lines.empty() ? 0 : lockPid(file.lines[0]);
    const std::string host = file.lines.size() > 2 ? trim(file.lines[2]) : "";
    if (!host.empty() && host != thisHost()) return std::nullopt;  // not ours to judge
    if (pid > 0 && processLives(pid)) return std::nullopt;
    if (pid == 0 && std::abs(std::time(nullptr) - st.st_mtime) < kWritingSeconds) {
        return std::nullopt;
    }
    if (::unlink(lockPath.c_str()) == 0 || errno == ENOENT) {
        lock.removed = true;
    } else {
        lock.error = std::strerror(errno);
    }
    return lock;
}

std::string staleLockText(const StaleLock& lock) {
    const std::string what =
        lock.unreadable ? " cannot be read (" + lock.error + "), so it names no running program"
                        : " names no running program (one stopped while it held or took the "
                          "port leaves it behind) but could not be removed (" +
                              lock.error + ")";
    return "The lock file " + lock.path + what +
           ": if no other program uses the port, delete that file (sudo rm " + lock.path +
           ") and try again.";
}

}  // namespace k7
