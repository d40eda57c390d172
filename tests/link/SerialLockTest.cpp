// The serial port's lock file: found where Qt looks for it, and taken over only when it names no
// live program (empty a while, no process number, or a process that is gone).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "link/SerialLock.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

TEST(SerialLock, FoundWhereTheSerialPortLooks) {
    test::TempDir dir;
    const std::string d = dir.path().string();
    EXPECT_EQ(serialLockPath("/dev/ttyUSB0", {"/no/such/folder", d}), d + "/LCK..ttyUSB0");
    EXPECT_EQ(serialLockPath("/dev/pts/3", {d}), d + "/LCK..pts_3");
    EXPECT_EQ(serialLockPath("/tmp/k7-line", {d}), d + "/LCK.._tmp_k7-line");
    EXPECT_EQ(serialLockPath("/dev/ttyS0", {"/no/such/folder"}), "");
}

TEST(SerialLock, OnlyALockNamingNoLiveProgramIsRemoved) {
    test::TempDir dir;
    const std::string lock = dir.file("LCK..ttyS0");
    auto write = [&](const std::string& text, int ageSeconds) {
        std::ofstream(lock) << text;
        const timespec t{std::time(nullptr) - ageSeconds, 0};
        const timespec times[2] = {t, t};
        utimensat(AT_FDCWD, lock.c_str(), times, 0);
    };
    auto removed = [&] {
        const auto r = removeStaleSerialLock(lock);
        return r && r->removed && !std::filesystem::exists(lock);
    };
    EXPECT_FALSE(removeStaleSerialLock(lock));  // none there

    write("", 0);  // may be being written this moment
    EXPECT_FALSE(removeStaleSerialLock(lock));
    write("", 60);
    EXPECT_TRUE(removed());
    write("not a number\n", 60);
    EXPECT_TRUE(removed());

    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    write(std::to_string(gone) + "\nk7700\n\n", 0);
    EXPECT_TRUE(removed());

    write("      " + std::to_string(getpid()) + "\n", 60);  // a live program, as uucp writes it
    EXPECT_FALSE(removeStaleSerialLock(lock));
    write(std::to_string(gone) + "\nk7700\nanother-host\n", 60);  // not this machine's to judge
    EXPECT_FALSE(removeStaleSerialLock(lock));
    EXPECT_TRUE(std::filesystem::exists(lock));

    // One that cannot be read is left, and the user told which file to delete.
    std::filesystem::remove(lock);
    ASSERT_EQ(mkfifo(lock.c_str(), 0644), 0);
    const auto unreadable = removeStaleSerialLock(lock);
    ASSERT_TRUE(unreadable && unreadable->unreadable && !unreadable->removed);
    EXPECT_NE(staleLockText(*unreadable).find("delete that file (sudo rm " + lock + ")"),
              std::string::npos);
}

}  // namespace
}  // namespace k7
