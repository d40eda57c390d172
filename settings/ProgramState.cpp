#include "settings/ProgramState.h"

namespace k7 {

void ProgramState::applyCommandLine(const CommandLineFlags& f) {
    autoResetError = f.autoResetError;
    discovery.oneSensor = f.oneSensor;
    factoryAccess = f.factoryAccess;
}

void ProgramState::applyIni(const IniReadResult& r) {
    iniPort = {r.values.port, r.values.portName};
    // Earlier versions could store the simulator as the port: no device has that name.
    if (iniPort.device == kSimulatedPortName) iniPort = {};
    if (!portOverridden) discovery.port = iniPort;
    distanceUnit = r.values.distanceUnit;
    temperatureUnit = r.values.temperatureUnit;
    preferredIdTag = r.values.preferredIdTag;
    iniLeftAlone = r.leaveFileAlone;
    lastSetupFile = r.values.pathAndFilename;
    setupDialogFolder = r.dialogFolder;
}

void ProgramState::portChosen(const PortChoice& p) {
    iniPort = p;
    // Simulated sensors stay for the run; the port is kept for a start on real ones.
    if (simulated) return;
    discovery.port = p;
    portOverridden = false;
}

void ProgramState::saveIni(const std::string& idTagText) const {
    if (iniLeftAlone) return;
    IniValues v;
    v.port = iniPort.device.empty() ? iniPort.number : 0;
    v.portName = iniPort.device;
    v.distanceUnit = distanceUnit;
    v.temperatureUnit = temperatureUnit;
    v.idTagText = idTagText;
    v.pathAndFilename = lastSetupFile;
    writeIniFile(iniPath, v);
}

}  // namespace k7
