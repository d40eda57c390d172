#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/TextFile.h"
#include "common/Version.h"
#include "settings/IniFile.h"
#include "settings/ProgramState.h"
#include "sim/SimulatedLine.h"
#include "support/FakeLinkUi.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    test::TempDir tmp;
    std::filesystem::path dir = tmp.path();
    std::string path = tmp.file("K7700.ini");
    void write(const std::string& raw) { std::ofstream(path, std::ios::binary) << raw; }
    std::string read() {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    std::string defaults() {
        return "K7700.ini initialization file for k7700 software version " + versionText() +
               "\r\nPort=0\r\nUnits=1\r\nTemperatureUnits=0\r\nIDTag=1\r\nPathAndFilename=\r\n";
    }
};

TEST_F(IniFileTest, MissingFileIsCreatedWithDefaultsAndRead) {
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_TRUE(r.rewritten);
    EXPECT_EQ(read(), defaults());
    EXPECT_EQ(r.values.port, 0);
    EXPECT_EQ(r.values.distanceUnit, 1);
    EXPECT_EQ(r.values.temperatureUnit, 0);
    EXPECT_EQ(r.values.preferredIdTag, 1);
    EXPECT_EQ(r.dialogFolder, "/cwd");
}

TEST_F(IniFileTest, LinesAreTakenByPositionNotByKey) {
    write("header\r\nUnits=3\r\nPort=2\r\nTemperatureUnits=1\r\nIDTag=7\r\nPathAndFilename=x\r\n");
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_FALSE(r.rewritten);
    EXPECT_EQ(r.values.port, 3);  // "Units=3" on line 2 is the port
    EXPECT_EQ(r.values.distanceUnit, 2);
    EXPECT_EQ(r.values.temperatureUnit, 1);
    EXPECT_EQ(r.values.preferredIdTag, 7);
}

TEST_F(IniFileTest, LineWithoutEqualsGivesZeroAndLfOnlyIsAccepted) {
    write(
        "header\nPort "
        "5\nUnits=0\nTemperatureUnits=1\nIDTag=12\nPathAndFilename=C:\\setups\\a.k7k\n");
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_EQ(r.values.port, 0);
    EXPECT_EQ(r.values.distanceUnit, 0);
    EXPECT_EQ(r.values.pathAndFilename, "C:\\setups\\a.k7k");
    EXPECT_EQ(r.dialogFolder, "C:\\setups");
}

TEST_F(IniFileTest, OnlyTheBadValueIsReset) {
    const std::string good =
        "h\r\nPort=7\r\nUnits=2\r\nTemperatureUnits=1\r\nIDTag=5\r\n"
        "PathAndFilename=/s/a.txt\r\nPortName=/dev/ttyUSB1\r\n";
    auto withLine = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    struct Case {
        std::string text;
        int port, units, tempUnits;
    };
    for (const Case& c :
         {Case{withLine("Port=7", "Port=300"), 0, 2, 1},
          Case{withLine("Units=2", "Units=9"), 7, 1, 1},
          Case{withLine("TemperatureUnits=1", "TemperatureUnits=1e300"), 7, 2, 0}}) {
        write(c.text);
        IniReadResult r = readIniFile(path, "/cwd");
        EXPECT_TRUE(r.rewritten) << c.text;
        EXPECT_EQ(r.values.port, c.port) << c.text;
        EXPECT_EQ(r.values.distanceUnit, c.units) << c.text;
        EXPECT_EQ(r.values.temperatureUnit, c.tempUnits) << c.text;
        EXPECT_EQ(r.values.preferredIdTag, 5);
        EXPECT_EQ(r.values.pathAndFilename, "/s/a.txt");
        EXPECT_EQ(r.values.portName, "/dev/ttyUSB1");
        EXPECT_EQ(readIniFile(path, "/cwd").values.port, c.port);  // written back repaired
    }
    // A value longer than any path is damage, not a setting.
    write(withLine("/s/a.txt", std::string(5000, 'p')));
    EXPECT_EQ(readIniFile(path, "/cwd").values.pathAndFilename, "");
    // A tag far beyond any integer is no tag (and no undefined conversion).
    write(withLine("IDTag=5", "IDTag=1e300"));
    EXPECT_EQ(readIniFile(path, "/cwd").values.preferredIdTag, 0);
    // A short file keeps what it has.
    write("h\r\nPort=3\r\nUnits=0\r\n");
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_EQ(r.values.port, 3);
    EXPECT_EQ(r.values.distanceUnit, 0);
    EXPECT_EQ(r.values.preferredIdTag, 1);
}

TEST_F(IniFileTest, OnlyTheFirstLinesAreReadWhateverFollows) {
    const std::string six =
        "h\r\nPort=4\r\nUnits=0\r\nTemperatureUnits=1\r\nIDTag=9\r\n"
        "PathAndFilename=/s/b.txt\r\n";
    write(six + std::string(3u << 20, 'x') + "\r\n");
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_FALSE(r.rewritten);
    EXPECT_EQ(r.values.port, 4);
    EXPECT_EQ(r.values.preferredIdTag, 9);
    EXPECT_EQ(r.values.pathAndFilename, "/s/b.txt");
}

TEST_F(IniFileTest, EveryByteOfAPathSurvives) {
    // Bytes Windows-1252 leaves undefined, as a path in another encoding may hold them.
    const std::string path6 = "/s/\x81\x8D\x8F\x90\x9D\xE9\x80.txt";
    write("h\r\nPort=1\r\nUnits=1\r\nTemperatureUnits=0\r\nIDTag=1\r\nPathAndFilename=" + path6 +
          "\r\n");
    for (int run = 0; run < 2; ++run) {
        IniValues v = readIniFile(path, "/cwd").values;
        ASSERT_TRUE(writeIniFile(path, v));
    }
    EXPECT_NE(read().find("PathAndFilename=" + path6 + "\r\n"), std::string::npos);
}

TEST_F(IniFileTest, UnwritableFolderFallsBackToDefaults) {
    IniReadResult r = readIniFile((dir / "no" / "such" / "K7700.ini").string(), "/cwd");
    EXPECT_EQ(r.values.distanceUnit, 1);
    EXPECT_EQ(r.values.port, 0);
    EXPECT_EQ(r.dialogFolder, "/cwd");
}

TEST_F(IniFileTest, WrittenFileCarriesCurrentValuesAndDeviceLine) {
    IniValues v;
    v.port = 4;
    v.distanceUnit = 0;
    v.temperatureUnit = 1;
    v.idTagText = " (none) ";
    v.pathAndFilename = "/home/tech/s1.txt";
    ASSERT_TRUE(writeIniFile(path, v));
    EXPECT_EQ(read(), "K7700.ini initialization file for k7700 software version " + versionText() +
                          "\r\nPort=4\r\nUnits=0\r\nTemperatureUnits=1\r\nIDTag=(none)\r\n"
                          "PathAndFilename=/home/tech/s1.txt\r\n");
    v.portName = "/dev/ttyUSB0";
    ASSERT_TRUE(writeIniFile(path, v));
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_EQ(r.values.portName, "/dev/ttyUSB0");
    EXPECT_EQ(r.values.preferredIdTag, 0);  // "(none)" has no number
    EXPECT_EQ(r.dialogFolder, "/home/tech");
}

TEST_F(IniFileTest, ReadOnlyFileIsLeftAsItIs) {
    const std::string text = "h\r\nPort=2\r\nUnits=7\r\nTemperatureUnits=1\r\nIDTag=3\r\n";
    write(text);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    IniReadResult r = readIniFile(path, "/cwd");
    EXPECT_FALSE(r.rewritten);
    EXPECT_FALSE(r.leaveFileAlone);
    EXPECT_EQ(r.values.port, 2);  // the values it holds are used for the run
    EXPECT_EQ(r.values.temperatureUnit, 1);
    EXPECT_FALSE(writeIniFile(path, r.values));
    EXPECT_EQ(read(), text);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read);
}

// Runs `check` as a user the file's permissions apply to: root reads anything, so it drops to
// an unprivileged user in a child process.
template <typename F>
bool asUnprivileged(F check) {
    if (geteuid() != 0) return check();
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
    const std::string text =
        "h\r\nPort=2\r\nUnits=0\r\nTemperatureUnits=1\r\nIDTag=3\r\n"
        "PathAndFilename=\r\n";
    write(text);
    using std::filesystem::perms;  // writable, not readable
    std::filesystem::permissions(path,
                                 perms::owner_write | perms::group_write | perms::others_write);
    std::filesystem::permissions(dir, std::filesystem::perms::all);  // others may replace it
    EXPECT_TRUE(asUnprivileged([&] {
        IniReadResult r = readIniFile(path, "/cwd");
        // Nor later in the run, when a unit or the tag changes.
        VirtualClock clock;
        sim::SimBus bus;
        sim::SimulatedLine line{bus, clock};
        test::FakeLinkUi ui;
        ProgramState m{line, clock, ui};
        m.iniPath = path;
        m.applyIni(r);
        m.saveIni("3");
        return r.leaveFileAlone && !r.rewritten && r.values.port == 0 && r.values.distanceUnit == 1;
    }));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(read(), text);
}

TEST_F(IniFileTest, SymbolicLinkIsWrittenThrough) {
    const std::string target = tmp.file("real.ini");
    std::filesystem::create_symlink("real.ini", path);  // relative, as users make them
    IniReadResult r = readIniFile(path, "/cwd");  // the target is missing: it gets the defaults
    EXPECT_TRUE(r.rewritten);
    r.values.port = 6;
    ASSERT_TRUE(writeIniFile(path, r.values));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readIniFile(target, "/cwd").values.port, 6);
}

}  // namespace
}  // namespace k7
