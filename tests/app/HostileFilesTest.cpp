// k7700-cli given files that are not what a file should be: a named pipe or a device is refused
// at once and named (never waited on, never replaced), a file-size limit fails a save without
// leaving its temporary file, and a read-only report is refused even for root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/CliProcess.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long filesIn(const test::TempDir& dir) {
    return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{});
}

TEST(HostileFiles, PipesAndDevicesAreRefusedAtOnceAndNamed) {
    test::TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const std::string pipeWords = pipe + " is a named pipe (FIFO), not a regular file";
    const QString p = QString::fromStdString(pipe);
    const struct {
        QStringList args;
        int status;
        std::string named;
    } cases[] = {
        {{"diff", p, "--simulate"}, 2, pipeWords},
        {{"diff", "/dev/zero", "--simulate"},
         2,
         "/dev/zero is a character device, not a regular file"},
        {{"program", p, "--simulate", "--id", "1"}, 1, pipeWords},
        {{"save", p, "--simulate"}, 1, pipeWords},
        {{"echo", p, "--simulate", "--id", "1"}, 1, pipeWords},
        {{"report", p, "--simulate"}, 1, pipeWords},
        {{"log", p, "--simulate", "--id", "1", "--seconds", "1"}, 1, pipeWords},
    };
    for (const auto& c : cases) {
        const test::CliOutcome r = test::runCliProcess(c.args, {}, 15000);
        const std::string what = c.args.join(' ').toStdString();
        ASSERT_TRUE(r.finished) << what << ": waited on the file";
        EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
        EXPECT_NE((r.err + r.out).find(c.named), std::string::npos) << what << "\n" << r.err;
        EXPECT_TRUE(fs::is_fifo(pipe)) << what << ": the pipe was replaced";
    }
    EXPECT_EQ(filesIn(dir), 1);
}

TEST(HostileFiles, AFileSizeLimitFailsASaveAndLeavesOnlyTheOldFile) {
    for (const char* command : {"echo", "save"}) {
        test::TempDir dir;
        const std::string file = dir.file(command == std::string("echo") ? "u.dat" : "s.txt");
        std::ofstream(file, std::ios::binary) << "the old file\r\n";
        const test::CliOutcome r = test::runCliProcess(
            {command, QString::fromStdString(file), "--simulate", "--id", "1"}, "ulimit -f 0");
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 1) << command << ": killed by the limit?\n" << r.err;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
        EXPECT_EQ(bytesOf(file), "the old file\r\n");
        EXPECT_EQ(filesIn(dir), 1) << command << " left its temporary file";
    }
}

TEST(HostileFiles, AReadOnlyReportIsRefusedAndAReplacedOneKeepsItsMode) {
    test::TempDir dir;
    const std::string pdf = dir.file("r.pdf");
    std::ofstream(pdf, std::ios::binary) << "old";
    fs::permissions(pdf, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const test::CliOutcome refused =
        test::runCliProcess({"report", QString::fromStdString(pdf), "--simulate"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("k7700-cli: " + pdf + " is read-only\n"), std::string::npos)
        << refused.err;
    EXPECT_EQ(bytesOf(pdf), "old");

    fs::permissions(pdf, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const test::CliOutcome replaced =
        test::runCliProcess({"report", QString::fromStdString(pdf), "--simulate"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(bytesOf(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(fs::status(pdf).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(filesIn(dir), 1);
}

}  // namespace
}  // namespace k7
