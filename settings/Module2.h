#pragma once
// The program-wide state: one instance for the whole run, owned by the application and passed
// by reference to every window and routine. Tests build a fresh one each.
#include <string>

#include "link/Discovery.h"
#include "link/Link.h"
#include "settings/CommandLine.h"
#include "settings/IniFile.h"
#include "settings/ScreenValues.h"
#include "settings/SensorTypes.h"
#include "settings/ThisRun.h"
#include "settings/Units.h"

namespace k7 {

// The port name the simulated sensors stand in for; never stored as a port.
inline constexpr const char* kSimulatedPortName = "simulated sensors";

struct Module2 {
    Module2(SerialLine& line, Clock& clock, LinkUi& ui) : link(line, clock, ui) {}
    Module2(const Module2&) = delete;
    Module2& operator=(const Module2&) = delete;

    Link link;
    DiscoveryState discovery;  // discovery.port is the port in use

    bool Exiting = false;  // ExitProgram has run
    // The sensor is in its acoustic display mode (outputs held at "No Echo") until restarted.
    bool SensorInDisplayMode = false;

    // Command line.
    bool AutoResetError = false;
    bool FactoryAccess = false;
    // A device named for this run only (--port, or the simulator); the INI keeps iniPort.
    bool portOverridden = false;
    bool Simulated = false;  // the run is on simulated sensors (--simulate)

    // Preferences kept in the INI file.
    std::string iniPath = kIniFileName;
    PortChoice iniPort;
    int DistanceUnit = 1;
    int TemperatureUnit = 0;
    int PreferredIDTag = 1;     // 0: none
    bool iniLeftAlone = false;  // the INI file could not be read: it is never written
    std::string LastSetupFile;
    std::string SetupDialogFolder;
    std::string AcousticDialogFolder;  // the acoustic display's file dialogs, for the run

    // The selected sensor: its model, limits and the state of its settings on screen.
    int SensorType = 0;
    bool G503Sensor = false;
    bool K7702Sensor = false;
    SensorLimits limits;
    DistanceFormats formats;
    std::array<DistanceFieldState, kDistFieldCount> dist;
    DistanceFieldState& distField(DistField f) { return dist[static_cast<std::size_t>(f)]; }
    const DistanceFieldState& distField(DistField f) const {
        return dist[static_cast<std::size_t>(f)];
    }
    StoredListPositions stored;
    double PresetTemperatureC = 20;
    double PresetTemperatureF = 68;
    bool PresetTemperatureChanged = false;
    int TemperatureCompensation = 0;  // 0 automatic, 1 preset

    // Field and edit state.
    bool ChangeTracking = false;
    bool DistParseError = false;
    bool EditModeActive = false;
    bool ValuesValid = true;
    bool SkipValidation = false;
    bool FieldErrorShown = false;

    // Live readings.
    bool TemperatureHidden = true;
    bool TemperatureReceived = false;
    double MeasuredTemperatureC = 0;
    double MeasuredTemperatureF = 32;
    std::int32_t LastAvgDistanceStored = 0;
    double LastAvgDistanceInches = 0;

    // Programming and captures of this run, by ID tag, for the commissioning report.
    ThisRun thisRun;

    void applyCommandLine(const CommandLineFlags& f);
    void applyIni(const IniReadResult& r);
    // The user chose a port in the port window: use it (unless simulated) and remember it.
    void portChosen(const PortChoice& p);
    // WriteIniFile; idTagText is the ID tag field's text as shown.
    void WriteIniFile(const std::string& idTagText) const;
};

}  // namespace k7
