#pragma once
// "K7700.ini": the user's preferences between runs, six positional lines (and a seventh,
// "PortName=", when the port is a named device rather than a number).
#include <string>

namespace k7 {

inline constexpr const char* kIniFileName = "K7700.ini";

struct IniValues {
    int port = 0;             // 0 = none chosen
    std::string portName;     // a device path chosen instead of a number
    int distanceUnit = 1;     // 0 cm, 1 in, 2 ft, 3 m
    int temperatureUnit = 0;  // 0 Celsius, 1 Fahrenheit
    double preferredIdTag = 1;
    std::string idTagText = "1";  // written: the ID tag field's text
    std::string pathAndFilename;  // last setup file
};

std::string iniHeaderLine();
std::string iniFileText(const IniValues& v);

struct IniReadResult {
    IniValues values;
    std::string dialogFolder;  // initial folder for the setup-file dialog
    bool rewritten = false;    // the file was missing or bad and was written with defaults
};

// Reads the file by line position. A missing, short or bad file is replaced by the defaults
// and read again; if that fails too the defaults are used.
IniReadResult readIniFile(const std::string& path, const std::string& currentDir);

// Rewrites the file from the values; false when it could not be written (never fatal).
bool writeIniFile(const std::string& path, const IniValues& v);

// The folder part of a setup-file path ("\" or "/"), or currentDir when it has none.
std::string folderOf(const std::string& pathAndFilename, const std::string& currentDir);

}  // namespace k7
