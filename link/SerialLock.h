#pragma once
// The lock file Qt's serial port takes for a device (LCK..ttyUSB0 in the system's lock folder,
// holding the owner's process number), and one left behind. A program killed while writing it
// leaves it empty, and Qt then counts the port as in use until the file is half a minute old
// (for good where it may not remove it). Toolkit-free.
#include <optional>
#include <string>
#include <vector>

namespace k7 {

// The folders Qt's serial port looks in for lock files, in its order.
const std::vector<std::string>& serialLockFolders();

// The lock file's path for `device` as Qt's serial port finds it: "LCK.." and the device's
// name below /dev with every '/' made '_', in the first readable folder that holds that file
// or may take it. Empty when no folder will do.
std::string serialLockPath(const std::string& device,
                           const std::vector<std::string>& folders = serialLockFolders());

struct StaleLock {
    std::string path;
    bool removed = false;
    bool unreadable = false;
    std::string error;  // why it could not be read or removed
};

// A lock file that names no live process (empty, no process number, or a process that is gone)
// is stale: it is removed. A file younger than two seconds may be one another program is still
// writing, and is left; one that cannot be read is left to the user. nullopt when there is no
// lock file, or it names a live process.
std::optional<StaleLock> removeStaleSerialLock(const std::string& lockPath);

// What to tell a user about a lock file left in place: which file, why, and what to do.
std::string staleLockText(const StaleLock& lock);

}  // namespace k7
