#pragma once
// The program-wide state: one instance for the whole run, owned by the application and passed
// by reference to every window and routine. Tests build a fresh one each.
#include <string>

#include "link/Discovery.h"
#include "link/Link.h"
#include "settings/CommandLine.h"
#include "settings/IniFile.h"

namespace k7 {

struct Module2 {
    Module2(SerialLine& line, Clock& clock, LinkUi& ui) : link(line, clock, ui) {}
    Module2(const Module2&) = delete;
    Module2& operator=(const Module2&) = delete;

    Link link;
    DiscoveryState discovery;  // discovery.port is the port in use

    bool Exiting = false;  // ExitProgram has run

    // Command line.
    bool AutoResetError = false;
    bool FactoryAccess = false;
    // A device named for this run only (--port, or the simulator); the INI keeps iniPort.
    bool portOverridden = false;

    // Preferences kept in the INI file.
    std::string iniPath = kIniFileName;
    PortChoice iniPort;
    int DistanceUnit = 1;
    int TemperatureUnit = 0;
    double PreferredIDTag = 1;
    std::string LastSetupFile;
    std::string SetupDialogFolder;

    void applyCommandLine(const CommandLineFlags& f);
    void applyIni(const IniReadResult& r);
    // The user chose a port in the port window: use it and remember it.
    void portChosen(const PortChoice& p);
    // WriteIniFile; idTagText is the ID tag field's text as shown.
    void WriteIniFile(const std::string& idTagText) const;
};

}  // namespace k7
