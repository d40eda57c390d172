#pragma once
// The program-wide state: one instance for the whole run, owned by the application and passed
// by reference to every window and routine. Tests build a fresh one each.
#include <string>

#include "link/Discovery.h"
#include "link/Link.h"
#include "settings/CommandLine.h"
#include "settings/IniFile.h"
#include "settings/RunRecord.h"
#include "settings/ScreenValues.h"
#include "settings/SensorTypes.h"
#include "settings/Units.h"

namespace k7 {

// The port name the simulated sensors stand in for; never stored as a port.
inline constexpr const char* kSimulatedPortName = "simulated sensors";

struct ProgramState {
    ProgramState(SerialLine& line, Clock& clock, LinkUi& ui) : link(line, clock, ui) {}
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    Link link;
    DiscoveryState discovery;  // discovery.port is the port in use

    bool exiting = false;  // ExitProgram has run
    // The sensor is in its acoustic display mode (outputs held at "No Echo") until restarted.
    bool sensorInDisplayMode = false;

    // Command line.
    bool autoResetError = false;
    bool factoryAccess = false;
    // A device named for this run only (--port, or the simulator); the INI keeps iniPort.
    bool portOverridden = false;
    bool simulated = false;  // the run is on simulated sensors (--simulate)

    // Preferences kept in the INI file.
    std::string iniPath = kIniFileName;
    PortChoice iniPort;
    int distanceUnit = 1;
    int temperatureUnit = 0;
    int preferredIdTag = 1;     // 0: none
    bool iniLeftAlone = false;  // the INI file could not be read: it is never written
    std::string lastSetupFile;
    std::string setupDialogFolder;
    std::string acousticDialogFolder;  // the acoustic display's file dialogs, for the run

    // The selected sensor: its model, limits and the state of its settings on screen.
    int sensorType = 0;
    bool g503Sensor = false;
    bool k7702Sensor = false;
    SensorLimits limits;
    DistanceFormats formats;
    std::array<DistanceFieldState, kDistFieldCount> dist;
    DistanceFieldState& distField(DistField f) { return dist[static_cast<std::size_t>(f)]; }
    const DistanceFieldState& distField(DistField f) const {
        return dist[static_cast<std::size_t>(f)];
    }
    StoredListPositions stored;
    double presetTemperatureC = 20;
    double presetTemperatureF = 68;
    bool presetTemperatureChanged = false;
    int temperatureCompensation = 0;  // 0 automatic, 1 preset

    // Field and edit state.
    bool changeTracking = false;
    bool distParseError = false;
    bool editModeActive = false;
    bool valuesValid = true;
    bool skipValidation = false;
    bool fieldErrorShown = false;

    // Live readings.
    bool temperatureHidden = true;
    bool temperatureReceived = false;
    double measuredTemperatureC = 0;
    double measuredTemperatureF = 32;
    std::int32_t lastAvgDistanceStored = 0;
    double lastAvgDistanceInches = 0;

    // Programming and captures of this run, by ID tag, for the commissioning report.
    RunRecord runRecord;

    void applyCommandLine(const CommandLineFlags& f);
    void applyIni(const IniReadResult& r);
    // The user chose a port in the port window: use it (unless simulated) and remember it.
    void portChosen(const PortChoice& p);
    // saveIni; idTagText is the ID tag field's text as shown.
    void saveIni(const std::string& idTagText) const;
};

}  // namespace k7
