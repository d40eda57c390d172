// Readers and writers take regular files only: a FIFO or a device is refused at once, named,
// and left as it is; a read-only file is refused even for root; a replaced file keeps its mode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/RegularFile.h"
#include "common/TextFile.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

namespace fs = std::filesystem;

// A reader or writer that blocks on a FIFO ends the test program instead of hanging it.
struct Watchdog {
    Watchdog() { alarm(20); }
    ~Watchdog() { alarm(0); }
};

class RegularFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string fifo = dir.file("pipe");
    void SetUp() override { ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0); }
};

TEST_F(RegularFileTest, FifosAndDevicesAreRefusedUnreadNamedAndKept) {
    Watchdog watchdog;
    const std::string link = dir.file("link-to-pipe");
    fs::create_symlink(fifo, link);
    const std::string pipeWords = " is a named pipe (FIFO), not a regular file";
    for (const std::string& path : {fifo, link}) {
        const FirstLines head = readFirstLines(path, 3);
        EXPECT_EQ(head.status, ReadStatus::Unreadable);
        EXPECT_EQ(head.error, path + pipeWords);
        std::string error;
        EXPECT_FALSE(readTextLines(path, &error));
        EXPECT_EQ(error, path + pipeWords);

        int systemError = -1;
        EXPECT_FALSE(writeTextFile(path, "x\r\n", &error, &systemError));
        EXPECT_EQ(error, path + pipeWords);
        FileRefusal refusal;
        EXPECT_EQ(createRegularFile(path, &refusal), -1);
        EXPECT_EQ(refusal.message, path + pipeWords);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));  // not replaced by a file
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 2);

    std::string error;
    EXPECT_FALSE(readTextLines("/dev/zero", &error));  // not read without end
    EXPECT_EQ(error, "/dev/zero is a character device, not a regular file");
}

TEST_F(RegularFileTest, ReadOnlyIsRefusedAlikeAndAReplacedFileKeepsItsMode) {
    const std::string kept = dir.file("kept.txt");
    std::ofstream(kept) << "old\r\n";
    fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read);
    std::string error;
    int systemError = 0;
    EXPECT_FALSE(writeTextFile(kept, "new\r\n", &error, &systemError));
    EXPECT_EQ(error, kept + " is read-only");
    EXPECT_EQ(systemError, EACCES);
    FileRefusal refusal;
    EXPECT_EQ(createRegularFile(kept, &refusal), -1);
    EXPECT_EQ(refusal.message, kept + " is read-only");
    EXPECT_EQ(readTextLines(kept)->front(), "old");

    const std::string replaced = dir.file("replaced.txt");
    std::ofstream(replaced) << "old\r\n";
    fs::permissions(replaced,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeTextFile(replaced, "new\r\n"));
    EXPECT_EQ(fs::status(replaced).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readTextLines(replaced)->front(), "new");
}

}  // namespace
}  // namespace k7
