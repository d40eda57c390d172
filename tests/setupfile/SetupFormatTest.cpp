#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/Programming.h"
#include "settings/Validation.h"
#include "setupfile/SetupFileIo.h"
#include "setupfile/SetupScreen.h"
#include "support/LinkFixture.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

// A file as a technician might have edited it: keys misspelt, blanks around codes, a letters-
// only code, a description holding "=", the two hysteresis and echo lines disagreeing, and a
// 29th line a standard sensor does not read.
const char* const kEdited[] = {
    "C:\\SETUPS\\TANK4.TXT, Setup file for K-7700, Software Version 2.50",
    "low curent distance= 768",
    "high current distance (in X 128)= 4608",
    "span=  0  ",
    "no target current= 2 ",
    "close setpoint (in X 128)= 2304",
    "far setpoint (in X 128)= 3840",
    "near distance digital output A=ON",
    "mid distance digital output A=abc",
    "far distance digital output A=OFF",
    "no echo digital output A=OFF",
    "near distance digital output B=OFF",
    "mid distance digital output B= 2 ",
    "far distance digital output B=ON",
    "no echo digital output B=ON",
    "hysteresis=3",
    "echo detect digital output=junk",
    "hysteresis=7",
    "trigger mode= 3 ",
    "sample rate=2.5",
    "trigger delay=12",
    "average type= 1 ",
    "average samples= 9 ",
    "no echo time out=25",
    "echo detect output for echo detected=OFF",
    "temperature compensation= 1 ",
    "preset temperature C = 21.3",
    "user description=  Tank 4 = north  ",
    "user max range (in X 128)= 9600",
};

std::vector<std::string> editedLines() {
    return std::vector<std::string>(std::begin(kEdited), std::end(kEdited));
}

std::vector<std::string> readBack(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

TEST(SetupFormat, ReadsByPositionFromCrLfAndLfFilesAlike) {
    test::TempDir dir;
    std::string crlf, lf;
    for (const char* l : kEdited) {
        crlf += std::string(l) + "\r\n";
        lf += std::string(l) + "\n";
    }
    std::ofstream(dir.file("crlf.txt"), std::ios::binary) << crlf;
    std::ofstream(dir.file("lf.txt"), std::ios::binary) << lf;
    const SetupRead a = readSetupFile(dir.file("crlf.txt"), 0);
    const SetupRead b = readSetupFile(dir.file("lf.txt"), 0);
    ASSERT_EQ(a.status, SetupRead::Status::Ok);
    ASSERT_EQ(b.status, SetupRead::Status::Ok);
    EXPECT_EQ(setupFileText("x", a.values), setupFileText("x", b.values));

    const SetupValues& v = a.values;
    EXPECT_EQ(v.stored[0], 768);
    EXPECT_EQ(v.stored[2], 2304);
    EXPECT_FALSE(v.hasUserMaxRange);  // line 29 is not read for a standard sensor
    EXPECT_EQ(v.OutputSpan, 0);
    EXPECT_EQ(v.cbMidMinLL, 0);  // letters only read as 0
    EXPECT_EQ(v.Hysteresis1, "7");
    EXPECT_EQ(v.TargLL, "OFF");
    EXPECT_EQ(v.UserDescription, "Tank 4 = north");
    EXPECT_EQ(v.temperatureCompensation, 1);
    EXPECT_DOUBLE_EQ(v.presetTemperatureC, 21.3);

    // A G503 reads the 29th line too.
    const SetupRead g = readSetupFile(dir.file("lf.txt"), 3);
    ASSERT_EQ(g.status, SetupRead::Status::Ok);
    EXPECT_TRUE(g.values.hasUserMaxRange);
    EXPECT_EQ(g.values.stored[4], 9600);
}

TEST(SetupFormat, WrittenValuesReadBackUnchanged) {
    auto v = parseSetupLines(editedLines(), 28);
    ASSERT_TRUE(v);
    v->UserDescription = "two\r\nlines";  // a line break must not shift the lines after it
    v->presetTemperatureC = -0.5;
    const std::string text = setupFileText("/a/b.txt", *v);
    EXPECT_NE(text.find("user description=two  lines\r\n"), std::string::npos);
    EXPECT_NE(text.find("preset temperature C =-.5\r\n"), std::string::npos);
    const auto back = parseSetupLines(readBack(text), 28);
    ASSERT_TRUE(back);
    EXPECT_EQ(setupFileText("/a/b.txt", *back), text);
    // A stray CR at the edge of a recalled text: saving it again writes the same file.
    v->UserDescription = "\rTank 4 ";
    const std::string once = setupFileText("/a/b.txt", *v);
    EXPECT_NE(once.find("user description=Tank 4\r\n"), std::string::npos);
    EXPECT_EQ(setupFileText("/a/b.txt", *parseSetupLines(readBack(once), 28)), once);
}

TEST(SetupFormat, G615FileMayLeaveOutWhatAG615DoesNotHave) {
    std::vector<std::string> lines = editedLines();
    lines[3] = "span=-1 ";
    lines[4] = "no target current=-1 ";
    lines[18] = "trigger mode=-1 ";
    const auto v = parseSetupLines(lines, 28);
    ASSERT_TRUE(v);
    EXPECT_TRUE(setupFitsSensor(*v, 4));
    EXPECT_FALSE(setupFitsSensor(*v, 3));
}

TEST(SetupFormat, OnlyTheHeadIsReadAndUnreadableFilesSayWhy) {
    test::TempDir dir;
    const SetupRead missing = readSetupFile(dir.file("none.txt"), 0);
    EXPECT_EQ(missing.status, SetupRead::Status::OpenFailed);
    EXPECT_EQ(missing.error.text(), "Error  53: No such file or directory");
    const SetupRead folder = readSetupFile(dir.path().string(), 0);
    EXPECT_EQ(folder.status, SetupRead::Status::OpenFailed);
    EXPECT_EQ(folder.error.text(), "Error  75: Is a directory");

    std::string good;
    for (const char* l : kEdited) good += std::string(l) + "\r\n";
    std::ofstream(dir.file("tail.txt"), std::ios::binary) << good << std::string(20u << 20, 'x');
    EXPECT_EQ(readSetupFile(dir.file("tail.txt"), 0).status, SetupRead::Status::Ok);
    std::ofstream(dir.file("huge.txt"), std::ios::binary) << std::string(20u << 20, 'x');
    EXPECT_EQ(readSetupFile(dir.file("huge.txt"), 0).status, SetupRead::Status::NotInterpretable);
}

// A save that fails, whether cut short by a full disk or refused, leaves the old file as it was
// and nothing half-written beside it.
TEST(SetupFormat, FailedSaveLeavesTheOldFileIntact) {
    test::TempDir dir;
    const std::string path = dir.file("setup.txt");
    std::ofstream(path, std::ios::binary) << "the old setup\r\n";
    const auto v = parseSetupLines(editedLines(), 27);
    ASSERT_TRUE(v);
    auto old = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto filesInFolder = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.path()),
                             std::filesystem::directory_iterator{});
    };
    // The disk fills after 100 bytes of the new file.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto full = saveSetupFile(path, path, *v);
    setrlimit(RLIMIT_FSIZE, &limit);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->text(), "Error  61: File too large");
    EXPECT_EQ(old(), "the old setup\r\n");
    EXPECT_EQ(filesInFolder(), 1);

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    const auto readOnly = saveSetupFile(path, path, *v);
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->text(), "Error  70: " + path + " is read-only");
    EXPECT_EQ(old(), "the old setup\r\n");
    EXPECT_EQ(filesInFolder(), 1);
}

class ApplySetupTest : public test::LinkFixture {
protected:
    ProgramState m{line, clock, ui};
    ScreenValues screen;
};

TEST_F(ApplySetupTest, DistancesAreProgrammedAsStoredNotAsShown) {
    m.distanceUnit = kCm;
    m.temperatureUnit = kFahrenheit;
    auto v = parseSetupLines(editedLines(), 27);
    ASSERT_TRUE(v);
    screen.SingleSensorID = "1";
    applySetup(m, screen, *v);
    EXPECT_EQ(screen.DistText[2], "45.7");  // 2304 / 128 = 18 in
    // Validation commits only fields the user changed: 45.7 cm would come back as 2303.
    m.limits = limitsFor(0, 220, 0);
    ASSERT_FALSE(checkValues(m, screen)) << checkValues(m, screen)->message;
    const auto writes = userEepromWrites(m, screen);
    auto cell = [&](int a) {
        for (const CellWrite& w : writes)
            if (w.address == a) return w.value;
        return std::string("none");
    };
    EXPECT_EQ(cell(84), "9");
    EXPECT_EQ(cell(85), "0");
    EXPECT_EQ(cell(103), "1");    // the recalled mode is the one programmed
    EXPECT_EQ(cell(104), "143");  // 21.3 became 21.5 as a typed value would
    EXPECT_EQ(screen.ManualTemperature, "70.7");
}

TEST_F(ApplySetupTest, VelkorKeepsItsTriggerModeAndG503LimitsFollowTheRange) {
    auto v = parseSetupLines(editedLines(), 28);
    ASSERT_TRUE(v);
    m.sensorType = 5;
    screen.TriggerMode = 0;
    applySetup(m, screen, *v);
    EXPECT_EQ(screen.TriggerMode, 0);

    m.sensorType = 3;
    m.link.sensorClass = 92;
    applySetup(m, screen, *v);
    EXPECT_EQ(screen.TriggerMode, 3);
    // 9600 / 128 = 75 in: 100 * (1 - 5 / 75) = 93.3, rounded 93, less 0.9.
    EXPECT_DOUBLE_EQ(m.limits.maxHysteresisPercent, 92.1);
}

}  // namespace
}  // namespace k7
