#pragma once
// A setup file beside a sensor's settings, setting by setting, without writing anything: what
// a technician checks before programming a replacement sensor.
#include <string>
#include <vector>

#include "settings/Module2.h"
#include "setupfile/SetupFormat.h"

namespace k7 {

struct CompareRow {
    std::string setting;
    std::string file;    // the file's value, in the current display units
    std::string sensor;  // the sensor's programmed value
    bool differs = false;
    std::string group;  // the main screen's group title
};

// One row per setting the main screen shows for m's model (modelScreen), in its order and
// groups. A row differs when the two values would program different cells (a
// distance by its stored count, a typed number by the whole number it programs); a distance whose
// two texts read the same in the current unit then shows its stored counts too.
std::vector<CompareRow> compareSetups(const SetupValues& file, const SetupValues& sensor,
                                      const Module2& m);

// The comparison for a terminal: aligned columns, "*" before every differing row, and a last
// line that counts the differences.
std::string compareReport(const std::vector<CompareRow>& rows);

int differenceCount(const std::vector<CompareRow>& rows);

}  // namespace k7
