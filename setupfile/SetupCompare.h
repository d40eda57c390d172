#pragma once
// A setup file beside a sensor's settings, setting by setting, without writing anything: what
// a technician checks before programming a replacement sensor.
#include <string>
#include <vector>

#include "settings/ProgramState.h"
#include "setupfile/SetupFormat.h"

namespace k7 {

struct CompareRow {
    std::string setting;
    std::string file;    // the file's value, in the current display units
    std::string sensor;  // the sensor's programmed value
    bool differs = false;
    std::string group;  // the main screen's group title
};

// The sensor type the setups are for and the units their values are shown in.
struct CompareUnits {
    int sensorType = 0;
    int distanceUnit = 1;
    int temperatureUnit = 0;
    DistanceFormats formats;
};
CompareUnits compareUnitsOf(const ProgramState& m);
// The units of the program's defaults (the formats a settings read would choose for the type).
CompareUnits compareUnitsFor(int sensorType, int distanceUnit, int temperatureUnit);

// One row per setting the main screen shows for the type's model (modelScreen), in its order
// and groups. A row differs when the two values would program different cells (a
// distance by its stored count, a typed number by the whole number it programs); a distance whose
// two texts read the same in the current unit then shows its stored counts too.
std::vector<CompareRow> compareSetups(const SetupValues& file, const SetupValues& sensor,
                                      const CompareUnits& units);
inline std::vector<CompareRow> compareSetups(const SetupValues& file, const SetupValues& sensor,
                                             const ProgramState& m) {
    return compareSetups(file, sensor, compareUnitsOf(m));
}

// The comparison for a terminal: aligned columns, "*" before every differing row, and a last
// line that counts the differences.
std::string compareReport(const std::vector<CompareRow>& rows);

int differenceCount(const std::vector<CompareRow>& rows);

}  // namespace k7
