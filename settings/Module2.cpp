#include "settings/Module2.h"

namespace k7 {

void Module2::applyCommandLine(const CommandLineFlags& f) {
    AutoResetError = f.AutoResetError;
    discovery.OneSensor = f.OneSensor;
    FactoryAccess = f.FactoryAccess;
}

void Module2::applyIni(const IniReadResult& r) {
    iniPort = {r.values.port, r.values.portName};
    // Earlier versions could store the simulator as the port: no device has that name.
    if (iniPort.device == kSimulatedPortName) iniPort = {};
    if (!portOverridden) discovery.port = iniPort;
    DistanceUnit = r.values.distanceUnit;
    TemperatureUnit = r.values.temperatureUnit;
    PreferredIDTag = r.values.preferredIdTag;
    iniLeftAlone = r.leaveFileAlone;
    LastSetupFile = r.values.pathAndFilename;
    SetupDialogFolder = r.dialogFolder;
}

void Module2::portChosen(const PortChoice& p) {
    iniPort = p;
    // Simulated sensors stay for the run; the port is kept for a start on real ones.
    if (Simulated) return;
    discovery.port = p;
    portOverridden = false;
}

void Module2::WriteIniFile(const std::string& idTagText) const {
    if (iniLeftAlone) return;
    IniValues v;
    v.port = iniPort.device.empty() ? iniPort.number : 0;
    v.portName = iniPort.device;
    v.distanceUnit = DistanceUnit;
    v.temperatureUnit = TemperatureUnit;
    v.idTagText = idTagText;
    v.pathAndFilename = LastSetupFile;
    writeIniFile(iniPath, v);
}

}  // namespace k7
