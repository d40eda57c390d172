// The echo analysis from the command line: of a record just captured and of saved files beside
// a baseline, as lines or JSON, and the exit status an acceptance script reads.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <sstream>

#include "support/CliRun.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

// A capture of simulated sensor 1 in low gain with the scene given, into `file`.
CliRun echo(const std::string& file, const std::string& scene, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"echo",   file,  "--simulate", "--id", "1",
                                     "--gain", "low", "--scene",    scene};
    args.insert(args.end(), more.begin(), more.end());
    return cli(args);
}

// The first field after the name of each line (the last line of a name wins).
std::map<std::string, std::string> measures(const std::string& out) {
    std::map<std::string, std::string> m;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        m[line.substr(0, tab)] = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
    }
    return m;
}

QJsonObject json(const std::string& out) {
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return d.object();
}

TEST(CliAnalyze, EchoAnalyzesTheCaptureAndMinMarginSetsTheExitStatus) {
    test::TempDir dir;
    const std::string file = dir.file("e.dat");
    CliRun r = echo(file, "target=30,amplitude=120", {"--analyze", "--min-margin", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 7), "tag 1: ");
    auto m = measures(r.out);
    EXPECT_EQ(m["result"], "target");
    EXPECT_EQ(m["unit"], "in");
    EXPECT_EQ(m["threshold"], "103");
    EXPECT_NEAR(std::stod(m["target_distance"]), 30, 0.2);
    EXPECT_NEAR(std::stoi(m["margin"]), 120 + 20 - 103, 8);
    EXPECT_EQ(m["min_margin"], "10");
    EXPECT_NE(r.out.find("\tmet\n"), std::string::npos);

    r = echo(file, "target=30,amplitude=120", {"--analyze", "--min-margin", "80", "--units", "cm"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NEAR(std::stod(measures(r.out)["target_distance"]), 76.2, 0.5);
    EXPECT_NE(r.err.find("margin"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("is below 80"), std::string::npos) << r.err;

    // JSON alone on standard output; what was written is said on standard error.
    r = echo(file, "target=20,amplitude=120,multiple=0.8", {"--analyze", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("written to " + file), std::string::npos);
    const QJsonObject o = json(r.out);
    EXPECT_NEAR(o["target"]["distance"].toDouble(), 20, 0.2);
    ASSERT_EQ(o["echoes"].toArray().size(), 2);
    EXPECT_EQ(o["echoes"][1]["kind"].toString(), "multiple");
    EXPECT_TRUE(o["baseline"].isUndefined());

    EXPECT_EQ(cli({"echo", file, "--simulate", "--id", "1", "--json"}).status, 2);
}

TEST(CliAnalyze, SavedFilesBesideABaselineWithoutASensor) {
    test::TempDir dir;
    const std::string before = dir.file("commissioned.dat"), now = dir.file("today.dat");
    ASSERT_EQ(echo(before, "target=30,amplitude=120").status, 0);
    ASSERT_EQ(echo(now, "target=30,amplitude=120,false-echo=15").status, 0);

    CliRun r = cli({"analyze", now, "--baseline", before});
    ASSERT_EQ(r.status, 0) << r.err;
    auto m = measures(r.out);
    EXPECT_EQ(m["file"], now);
    EXPECT_EQ(m["baseline"], before);
    EXPECT_NEAR(std::stod(m["target_distance"]), 15, 0.2);  // the strut is now the target
    EXPECT_NEAR(std::stod(m["target_moved"]), -15, 0.3);
    EXPECT_NEAR(std::stod(m["new_echo"]), 15, 0.2);
    EXPECT_EQ(m.count("gone_echo"), 0u);

    r = cli({"analyze", now, "--baseline", before, "--json", "--units", "ft"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = json(r.out);
    EXPECT_EQ(o["unit"].toString(), "ft");
    EXPECT_NEAR(o["baseline"]["new_echoes"][0]["distance"].toDouble(), 1.25, 0.02);
    EXPECT_EQ(o["baseline"]["result"].toString(), "target");
    EXPECT_FALSE(o["baseline"]["differences"].toArray().isEmpty());

    // The sensor's threshold, which a data file does not keep.
    r = cli({"analyze", before, "--threshold", "3.5", "--min-margin", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(measures(r.out)["threshold"], "175");
    EXPECT_EQ(measures(r.out)["result"], "no-echo");
    EXPECT_NE(r.err.find("no target echo (No echo above the threshold)"), std::string::npos)
        << r.err;

    r = cli({"analyze", dir.file("missing.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.dat"), std::string::npos) << r.err;
    EXPECT_EQ(cli({"analyze", now, "--simulate"}).status, 2);
    EXPECT_EQ(cli({"analyze", now, "--id", "1"}).status, 2);
    EXPECT_EQ(cli({"analyze", now, "--threshold", "2.2"}).status, 2);
    EXPECT_EQ(cli({"analyze", now, "--min-margin", "lots"}).status, 2);
    EXPECT_EQ(cli({"analyze"}).status, 2);
}

}  // namespace
}  // namespace k7
