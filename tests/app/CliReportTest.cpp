// k7700-cli report and health against simulated sensors; the report's text is read back with
// poppler's pdftotext and pdfinfo where they are installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/Cli.h"
#include "link/LineHealth.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(const std::vector<std::string>& args, bool terminal = false) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err, terminal);
    return {status, out.str(), err.str()};
}

bool havePoppler() {
    return std::filesystem::exists("/usr/bin/pdftotext") &&
           std::filesystem::exists("/usr/bin/pdfinfo");
}

std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
        pclose(p);
    }
    return text;
}

int pageCount(const std::string& pdf) {
    const std::string info = commandOutput("pdfinfo '" + pdf + "'");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The text of one page, words joined by single blanks.
std::string pageText(const std::string& pdf, int page) {
    const std::string n = std::to_string(page);
    std::string text = commandOutput("pdftotext -f " + n + " -l " + n + " '" + pdf + "' -");
    std::string words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words += (words.empty() ? "" : " ") + w;
    return words;
}

TEST(CliReport, OnePageASensorWithSerialFirmwareAndSettingsInTheUnitChosen) {
    test::TempDir dir;
    const std::string pdf = dir.file("commissioning.pdf");
    const CliRun r =
        cli({"report", pdf, "--simulate", "--sensors", "1,4:1:26", "--id", "1,4", "--units", "cm"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "report of 2 sensors written to " + pdf + "\n");
    ASSERT_TRUE(std::filesystem::file_size(pdf) > 1000);
    if (!havePoppler()) GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) not installed";
    EXPECT_EQ(pageCount(pdf), 2);
    const std::string one = pageText(pdf, 1);
    const std::string four = pageText(pdf, 2);
    EXPECT_NE(one.find("ID Tag 1"), std::string::npos) << one;
    EXPECT_NE(one.find("Serial Number 100001"), std::string::npos) << one;
    EXPECT_NE(one.find("Firmware 25"), std::string::npos) << one;
    EXPECT_NE(one.find("Far Setpoint Distance 76.2 cm"), std::string::npos) << one;
    EXPECT_NE(one.find("not in this run"), std::string::npos) << one;
    EXPECT_NE(four.find("Serial Number 100004"), std::string::npos) << four;
    EXPECT_NE(four.find("Firmware 26"), std::string::npos) << four;
    EXPECT_EQ(four.find("100001"), std::string::npos);
}

TEST(CliReport, ASensorThatDoesNotAnswerGetsItsPageAndTheCommandFails) {
    test::TempDir dir;
    const std::string pdf = dir.file("r.pdf");
    const CliRun r = cli({"report", pdf, "--simulate", "--id", "1,9"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("sensor 9 does not answer"), std::string::npos) << r.err;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    if (!havePoppler()) GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) not installed";
    EXPECT_EQ(pageCount(pdf), 2);
    const std::string nine = pageText(pdf, 2);
    EXPECT_NE(nine.find("ID Tag 9: no answer"), std::string::npos) << nine;
    EXPECT_NE(nine.find("did not answer"), std::string::npos) << nine;

    // A file that cannot be written is a failure, and leaves nothing behind.
    const CliRun bad = cli({"report", dir.file("no/such/folder/r.pdf"), "--simulate"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("r.pdf: "), std::string::npos) << bad.err;
}

// The rows of the health table, by tag.
std::map<int, std::vector<std::string>> healthRows(const std::string& out) {
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    std::string header;
    for (const std::string& h : lineHealthHeader()) header += (header.empty() ? "" : "\t") + h;
    EXPECT_EQ(line, header);
    std::map<int, std::vector<std::string>> rows;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string c; std::getline(in, c, '\t');) cells.push_back(c);
        EXPECT_EQ(cells.size(), lineHealthHeader().size()) << line;
        rows[std::stoi(cells.at(0))] = cells;
    }
    return rows;
}

TEST(CliHealth, CountsTheFaultsOfEachTagAlone) {
    const CliRun r = cli({"health", "--simulate", "--sensors", "1,5", "--fault", "5/checksum=0.2",
                          "--seed", "3", "--id", "1,5", "--seconds", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = healthRows(r.out);
    ASSERT_EQ(rows.size(), 2u);
    const auto count = [&rows](int tag, std::size_t column) {
        return std::stoi(rows[tag].at(column));
    };
    // Columns: tag, exchanges, bad replies, time-outs, re-sends, write retries, failures, last.
    EXPECT_GT(count(1, 1), 50);
    EXPECT_EQ(count(1, 2) + count(1, 3) + count(1, 4) + count(1, 6), 0);
    EXPECT_GT(count(5, 1), 50);
    const double badShare = static_cast<double>(count(5, 2)) / (count(5, 1) + count(5, 2));
    EXPECT_GT(badShare, 0.1);  // 20 % of replies corrupted, each answered again
    EXPECT_LT(badShare, 0.3);
    EXPECT_EQ(count(5, 4), count(5, 2));
    EXPECT_NE(rows[5].back(), "never");

    // Without --id: every tag that answers; a tag named that never answers fails the command.
    EXPECT_EQ(
        healthRows(cli({"health", "--simulate", "--sensors", "2,7", "--seconds", "1"}).out).size(),
        2u);
    const CliRun silent = cli({"health", "--simulate", "--id", "1,3", "--seconds", "1"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(healthRows(silent.out)[3].back(), "never");
    EXPECT_NE(silent.err.find("sensor 3 never answered"), std::string::npos) << silent.err;
}

TEST(CliProgress, ALineOnATerminalOnly) {
    const std::vector<std::string> args = {"health", "--simulate", "--sensors",
                                           "1,2",    "--seconds",  "2"};
    const CliRun quiet = cli(args);
    EXPECT_EQ(quiet.err, "");
    const CliRun shown = cli(args, true);
    EXPECT_EQ(healthRows(shown.out).size(), 2u);  // the table alone on standard output
    EXPECT_NE(shown.err.find("\rsearch: tag 32 of 32, 2 found"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("\rhealth: 1 s of 2 s"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.back(), '\r');  // erased at the end
    // The settings read of a save shows its progress too.
    test::TempDir dir;
    const CliRun save = cli({"save", dir.file("s.txt"), "--simulate", "--id", "1"}, true);
    EXPECT_NE(save.err.find("save: tag 1: Reading K-7700 Data 50%"), std::string::npos) << save.err;
}

TEST(CliReport, UsageOfTheNewOptions) {
    EXPECT_EQ(cli({"health", "--simulate", "--seconds", "0"}).status, 2);
    EXPECT_EQ(cli({"health", "--simulate", "--seconds", "x"}).status, 2);
    EXPECT_EQ(cli({"report", "--simulate"}).status, 2);
    const CliRun r = cli({"save", "a.txt", "--simulate", "--id", "1,2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("only program, report, health, log and publish"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace k7
