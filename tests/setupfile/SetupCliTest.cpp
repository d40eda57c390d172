#include <gtest/gtest.h>

#include <sstream>

#include "SetupWindowTest.h"
#include "app/Cli.h"
#include "app/CliSetup.h"
#include "sim/Faults.h"

namespace k7 {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::string withoutHeader(const std::string& file) {
    return file.substr(file.find("\r\n"));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class SetupCliTest : public test::SetupWindowFixture {
protected:
    std::string file(const char* name) const { return path(name).toStdString(); }
};

TEST_F(SetupCliTest, SaveWritesWhatTheWindowWrites) {
    addSensor(1, 4);
    go();
    save(path("window.txt"));
    const CliRun r = cli({"save", file("cli.txt"), "--simulate", "--sensors", "1:4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "tag 1: setup saved to " + file("cli.txt") + "\n");
    const std::string cliFile = test::fileBytes(path("cli.txt"));
    EXPECT_EQ(withoutHeader(cliFile), withoutHeader(test::fileBytes(path("window.txt"))));
    EXPECT_EQ(cliFile.substr(0, cliFile.find("\r\n")),
              file("cli.txt") + ", Setup file for K-7700, Software Version 3.10");
}

TEST_F(SetupCliTest, DiffSaysWhetherTheFileAndTheSensorAgree) {
    ASSERT_EQ(cli({"save", file("a.txt"), "--simulate"}).status, 0);
    CliRun r = cli({"diff", file("a.txt"), "--simulate", "--units", "cm"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  Far Setpoint Distance               76.2 cm"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("The file and the sensor hold the same settings."), std::string::npos);

    test::writeFile(path("b.txt"),
                    replaced(test::fileBytes(path("a.txt")), "hysteresis=5", "hysteresis=9"));
    r = cli({"diff", file("b.txt"), "--simulate"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("* Hysteresis  "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 setting differs."), std::string::npos);

    test::writeFile(path("c.txt"), "junk\n");
    r = cli({"diff", file("c.txt"), "--simulate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be interpreted"), std::string::npos);
    EXPECT_EQ(cli({"diff", file("a.txt"), "--simulate", "--id", "9"}).status, 2);
}

TEST_F(SetupCliTest, ProgramNamesTheCellThatFailedOnItsSensorsLine) {
    ASSERT_EQ(cli({"save", file("a.txt"), "--simulate"}).status, 0);
    std::string text = replaced(test::fileBytes(path("a.txt")), "hysteresis=5", "hysteresis=12");
    test::writeFile(path("b.txt"), replaced(text, "user description=", "user description=Line 7"));

    addSensor(1);
    addSensor(2);
    sim::FaultConfig refuse;
    refuse.refuseWriteCells = {90};
    bus.setFaults(1, refuse, 1);
    line.open("SIM", kLineSettings);
    std::ostringstream out, err;
    const int status =
        runSetupCommand({"program", file("b.txt"), {1, 2}, kIn}, line, clock, out, err);
    EXPECT_EQ(status, 1) << err.str();
    EXPECT_EQ(out.str(),
              "tag 1: programmed and verified\n"
              "tag 2: failed: Hysteresis (cell 90) did not take the value written\n");
    for (std::size_t i = 0; i < 2; ++i) {
        const sim::SimSensor& s = bus.sensor(i);
        EXPECT_EQ(s.cell(90), i == 0 ? 12 : 5);
        EXPECT_EQ(s.cell(46), 'L');
        EXPECT_EQ(s.cell(51), '7');
        EXPECT_EQ(s.activeTag(), static_cast<int>(i) + 1);  // tags never change
    }
    EXPECT_EQ(bus.countReceived(103, 3), 0);

    // The same from the command line.
    const CliRun r = cli({"program", file("b.txt"), "--simulate", "--sensors", "1,2", "--id", "1,2",
                          "--fault", "2/refuse=90"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, out.str());
}

TEST_F(SetupCliTest, ProgramRefusesValuesTheMainWindowRefuses) {
    ASSERT_EQ(cli({"save", file("a.txt"), "--simulate"}).status, 0);
    test::writeFile(path("b.txt"),
                    replaced(test::fileBytes(path("a.txt")), "close setpoint (in X 128)= 1536",
                             "close setpoint (in X 128)= 3900"));
    addSensor(1);
    line.open("SIM", kLineSettings);
    std::ostringstream out, err;
    EXPECT_EQ(runSetupCommand({"program", file("b.txt"), {1}, kIn}, line, clock, out, err), 1);
    EXPECT_EQ(out.str(),
              "tag 1: not programmed: The Close Setpoint Distance must be less than the Far "
              "Setpoint Distance.\n");
    EXPECT_EQ(bus.countReceived(103), 0);

    // Usage: program names its sensors; only program takes several; units are known ones.
    EXPECT_EQ(cli({"program", file("a.txt"), "--simulate"}).status, 2);
    EXPECT_EQ(cli({"diff", file("a.txt"), "--simulate", "--id", "1,2"}).status, 2);
    EXPECT_EQ(cli({"diff", file("a.txt"), "--simulate", "--units", "yd"}).status, 2);
    EXPECT_EQ(cli({"save", "--simulate"}).status, 2);
    const CliRun missing = cli({"program", file("none.txt"), "--simulate", "--id", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Error  53: "), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace k7
