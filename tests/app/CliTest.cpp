#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "acoustic/AcousticFile.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

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

TEST(Cli, HistoryPrintsItsExchangesAsATable) {
    CliRun r = cli({"history", "3", "--simulate", "--id=1"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "tag 1");
    std::getline(lines, line);
    EXPECT_EQ(line, "reply\ttime\ttag\tstatus\tdata0\tdata1\tdata2\tchecksum");
    const std::regex row(R"(\d+\t\d\d:\d\d:\d\d\.\d\d\d\t1(\t\d+){5})");
    int rows = 0;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_match(line, row)) << line;
        EXPECT_EQ(line.substr(0, line.find('\t')), std::to_string(++rows));
    }
    EXPECT_EQ(rows, 3);
    // More exchanges than the history keeps: the last 200.
    r = cli({"history", "250", "--simulate", "--id", "1"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 202);
}

TEST(Cli, BadUsageNamesTheArgumentAtFault) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "no command"},
        {{"scan"}, "--port"},
        {{"scan", "--simulate", "--port", "/dev/x"}, "--port and --simulate exclude each other"},
        {{"scan", "--port", "/dev/x", "--sensors", "1"}, "--sensors"},
        {{"scan", "--port=/dev/x", "--seed=4"}, "--seed"},
        {{"frob", "--simulate"}, "frob"},
        {{"scan", "extra", "--simulate"}, "\"extra\""},
        {{"peek", "1", "2", "3", "--simulate"}, "\"3\""},
        {{"peek", "128", "--simulate"}, "0..127"},
        {{"peek", "127", "2", "--simulate"}, "0..127"},
        {{"peek", "--simulate"}, "peek ADDR"},
        {{"poke", "90", "256", "--simulate"}, "VALUE 0..255"},
        {{"poke", "90", "--simulate"}, "poke ADDR VALUE"},
        {{"history", "0", "--simulate"}, "1..10000"},
        {{"scan", "--simulate", "--id", "3"}, "--id does not apply to scan"},
        {{"peek", "1", "--simulate", "--unlock"}, "--unlock does not apply to peek"},
        {{"peek", "1", "--simulate", "--id", "33"}, "--id"},
        {{"scan", "--simulate", "--sensors", "40"}, "40"},
        {{"scan", "--simulate=yes"}, "--simulate takes no value"},
        {{"scan", "--port="}, "--port"},
        {{"scan", "--simulate", "--bogus"}, "--bogus"},
    };
    for (const auto& [args, named] : cases) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.err.rfind("k7700-cli: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(Cli, HelpAndVersionGoToStandardOutput) {
    CliRun r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    for (const char* word :
         {"usage: k7700-cli", "scan", "peek ADDR [COUNT]", "poke ADDR VALUE", "history [N]",
          "--port DEVICE", "--simulate", "--sensors LIST", "--fault RULE", "--seed N", "--id N",
          "--unlock", "--version", "Exit status"}) {
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(cli({"-h"}).out, r.out);
    r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "k7700-cli " + versionText() + "\n");
}

TEST(Cli, UnopenablePortsAreAFailure) {
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

namespace k7 {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliLine, ALostDeviceOrAStoppedSensorIsAFailure) {
    CliRun r = cli({"scan", "--simulate", "--sensors", "1,2", "--fault", "unplug=40"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "the serial device went away: No such device")) << r.err;
    // Tag 2 answers its probe and nothing after it.
    r = cli({"scan", "--simulate", "--sensors", "1,2", "--fault", "2/silent-after=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "tag 1: type 0 (Sensor: 220 kHz 8 degree beam), firmware 25\n");
    EXPECT_TRUE(has(r.err, "sensor 2 stopped answering (sensor type)")) << r.err;
    r = cli({"health", "--simulate", "--id", "1", "--seconds", "10", "--fault", "unplug=3000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "the serial device went away")) << r.err;
    EXPECT_TRUE(has(r.out, "ID tag\t")) << r.out;  // what was counted still shows
}

TEST(CliLine, ALossySearchSaysSoAndMoreAttemptsFindEverySensor) {
    // Two of the three sensors lose both replies to their probes.
    CliRun r = cli({"scan", "--simulate", "--sensors", "1,2,3", "--fault", "drop=0.45",
                    "--seed", "3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, "1 of 32 tags answered")) << r.err;
    EXPECT_TRUE(has(r.err, "--attempts N")) << r.err;
    r = cli({"scan", "--simulate", "--sensors", "1,2,3", "--fault", "drop=0.45", "--seed", "3",
             "--attempts", "12"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
    EXPECT_EQ(cli({"scan", "--simulate", "--attempts", "0"}).status, 2);
}

TEST(CliLine, SlowSensorsAreReadRightOrNotAtAll) {
    const std::string clean = cli({"peek", "0", "128", "--simulate", "--id", "1"}).out;
    test::TempDir dir;
    const std::string cleanFile = dir.file("clean.txt");
    ASSERT_EQ(cli({"save", cleanFile, "--simulate", "--id", "1"}).status, 0);
    auto settings = [](const std::string& path) {  // the lines after the header
        std::vector<std::string> lines = readTextLines(path).value_or(std::vector<std::string>{});
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    };
    for (const char* delay : {"delay=100", "delay=150:30", "delay=300"}) {
        for (bool echo : {false, true}) {
            std::vector<std::string> line = {"--simulate", "--id", "1", "--fault", delay,
                                             "--fault", "busy"};
            if (echo) line.insert(line.end(), {"--fault", "echo"});
            auto with = [&](std::vector<std::string> args) {
                args.insert(args.end(), line.begin(), line.end());
                return cli(args);
            };
            CliRun r = with({"peek", "0", "128"});
            EXPECT_EQ(r.status, 0) << delay << r.err;
            EXPECT_EQ(r.out, clean) << delay << (echo ? " echo" : "");
            const std::string file = dir.file("slow.txt");
            ASSERT_EQ(with({"save", file}).status, 0) << delay;
            EXPECT_EQ(settings(file), settings(cleanFile)) << delay;
            r = with({"diff", file});
            EXPECT_EQ(r.status, 0) << delay << (echo ? " echo\n" : "\n") << r.out;
        }
    }
}

}  // namespace
}  // namespace k7
