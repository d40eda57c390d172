#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "acoustic/AcousticFile.h"
#include "app/Cli.h"
#include "common/TextFile.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(Cli, ScanListsTagsWithTypeAndFirmware) {
    const CliRun r = cli({"scan", "--simulate", "--sensors", "2,30:4:24"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "tag 2: type 0 (Sensor: 220 kHz 8 degree beam), firmware 25\n"
              "tag 30: type 4 (Sensor: G615), firmware 24\n");
}

TEST(Cli, PeekNamesTheTagItReadAndPokeNeedsOne) {
    CliRun r = cli({"peek", "79", "2", "--simulate", "--sensors", "7,9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "tag 7\n79: 3\n80: 0\n");  // 6 inches = 768 / 128
    r = cli({"poke", "90", "12", "--simulate", "--sensors", "7,9"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--id"), std::string::npos);
    r = cli({"poke", "90", "12", "--simulate", "--sensors", "7,9", "--id", "9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "90: 12 written and verified\n");
}

TEST(Cli, WriteThatDoesNotTakeIsAFailure) {
    CliRun r = cli({"poke", "5", "1", "--simulate", "--id", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("protected cell: add --unlock"), std::string::npos) << r.err;
    r = cli({"poke", "5", "1", "--unlock", "--simulate", "--id", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = cli({"poke", "90", "1", "--simulate", "--fault", "refuse=90", "--id", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("did not take"), std::string::npos);
}

TEST(Cli, SilentSensorsAreAnErrorNotAWait) {
    CliRun r = cli({"scan", "--simulate", "--fault", "drop=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "k7700-cli: no sensor answered on tags 1 to 32\n");
    r = cli({"peek", "1", "--simulate", "--id", "9"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("sensor 9 does not answer"), std::string::npos) << r.err;
}

TEST(Cli, HistoryPrintsTheRecords) {
    const CliRun r = cli({"history", "3", "--simulate", "--id", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 9), "tag 1\n 3\n");  // reads went into records 0, 1 and 2
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 202);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST(Cli, BadUsageAndUnopenablePorts) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"scan"},
                                               {"scan", "--simulate", "--port", "/dev/x"},
                                               {"frob", "--simulate"},
                                               {"peek", "128", "--simulate"},
                                               {"peek", "127", "2", "--simulate"},
                                               {"peek", "--simulate"},
                                               {"poke", "90", "256", "--simulate"},
                                               {"poke", "90", "--simulate"},
                                               {"history", "0", "--simulate"},
                                               {"scan", "--simulate", "--id", "33"},
                                               {"scan", "--simulate", "--sensors", "40"},
                                               {"scan", "--simulate", "--bogus"}}) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.err.rfind("k7700-cli: ", 0), 0u);
    }
    const CliRun r = cli({"scan", "--port", "/nonexistent/tty"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "k7700-cli: cannot open the port: No such file or directory: /nonexistent/tty\n");
}

TEST(Cli, EchoWritesTheAcousticRecordAsADataFileOrCsv) {
    test::TempDir dir;
    const std::string data = dir.file("echo.dat");
    CliRun r = cli({"echo", data, "--simulate", "--sensors", "4:1", "--id", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "tag 4: 1600 samples, Switching Gain (Normal), written to " + data + "\n");
    const RecalledFile f = recallAcousticFile(data);
    ASSERT_TRUE(f.record) << f.error;
    EXPECT_EQ(f.record->serialNumber, "100004");
    EXPECT_TRUE(f.record->temperatureC);
    EXPECT_EQ(f.record->samples.size(), 1600u);
    EXPECT_EQ(readTextLines(data)->front(), data + ", Acoustic data file for an K-7700 sensor");

    const std::string csv = dir.file("echo.CSV");
    r = cli({"echo", csv, "--simulate", "--id", "1", "--gain", "low", "--units", "cm"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::optional<std::vector<std::string>> lines = readTextLines(csv);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 6u + 320u);
    EXPECT_EQ(lines->front(), "Serial Number,100001");
    EXPECT_EQ((*lines)[2], "Gain,Low Gain");
    EXPECT_EQ((*lines)[4], "Unit,cm");
    EXPECT_EQ((*lines)[5], "Sample,Distance (cm),Level");
}

TEST(Cli, EchoRefusals) {
    test::TempDir dir;
    const std::string file = dir.file("e.dat");
    EXPECT_EQ(cli({"echo", file, "--simulate"}).status, 2);  // which sensor?
    EXPECT_EQ(cli({"echo", file, "--simulate", "--id", "1", "--gain", "medium"}).status, 2);
    CliRun r = cli({"echo", file, "--simulate", "--sensors", "1:0:24", "--id", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("firmware 25 or later"), std::string::npos) << r.err;
    r = cli({"echo", file, "--simulate", "--fault", "stream-delay=10000", "--id", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no acoustic record"), std::string::npos) << r.err;
    r = cli({"echo", file, "--simulate", "--id", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("sensor 2 does not answer"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace k7
