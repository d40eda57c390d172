#pragma once
// "K7700.ini": the user's preferences between runs, six positional lines (and a seventh,
// "PortName=", when the port is a named device rather than a number).
#include <string>

namespace k7 {

inline constexpr const char* kIniFileName = "K7700.ini";

struct IniValues {
    int port = 0;                 // 0 = none chosen
    std::string portName;         // a device path chosen instead of a number
    int distanceUnit = 1;         // 0 cm, 1 in, 2 ft, 3 m
    int temperatureUnit = 0;      // 0 Celsius, 1 Fahrenheit
    int preferredIdTag = 1;       // 0 when the line holds no tag (1..32)
    std::string idTagText = "1";  // written: the ID tag field's text
    std::string pathAndFilename;  // last setup file
};

std::string iniHeaderLine();
std::string iniFileText(const IniValues& v);

struct IniReadResult {
    IniValues values;
    std::string dialogFolder;     // initial folder for the setup-file dialog
    bool rewritten = false;       // the file was missing or held bad values and was written
    bool leaveFileAlone = false;  // it is there but cannot be read: never write it this run
};

// Reads the file by line position; only its first seven lines are read, whatever follows. A
// value that is missing or out of range takes its default and the file is written again with
// the others kept; a missing file is written with the defaults. A file that cannot be read
// gives the defaults and is left alone (writing it would lose what it holds); a read-only
// file keeps what it holds, the values read are used for the run.
IniReadResult readIniFile(const std::string& path, const std::string& currentDir);

// Rewrites the file from the values; false when it could not be written (never fatal).
bool writeIniFile(const std::string& path, const IniValues& v);

// The folder part of a setup-file path ("\" or "/"), or currentDir when it has none.
std::string folderOf(const std::string& pathAndFilename, const std::string& currentDir);

}  // namespace k7
