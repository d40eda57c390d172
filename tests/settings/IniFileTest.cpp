#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/TextFile.h"
#include "common/Version.h"
#include "settings/IniFile.h"
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

TEST_F(IniFileTest, BadValuesOrShortFilesAreReplacedByDefaults) {
    for (const char* bad : {
             "h\r\nPort=300\r\nUnits=1\r\nTemperatureUnits=0\r\nIDTag=1\r\nPathAndFilename=\r\n",
             "h\r\nPort=1\r\nUnits=9\r\nTemperatureUnits=0\r\nIDTag=1\r\nPathAndFilename=\r\n",
             "h\r\nPort=1\r\nUnits=1\r\nTemperatureUnits=2\r\nIDTag=1\r\nPathAndFilename=\r\n",
             "h\r\nPort=1\r\nUnits=1\r\n",
             "",
         }) {
        write(bad);
        IniReadResult r = readIniFile(path, "/cwd");
        EXPECT_TRUE(r.rewritten) << bad;
        EXPECT_EQ(read(), defaults()) << bad;
        EXPECT_EQ(r.values.port, 0);
    }
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

}  // namespace
}  // namespace k7
