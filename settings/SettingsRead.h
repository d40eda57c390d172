#pragma once
// Reading a sensor: its type (command 123) and every user setting (command 104, cell by cell
// in a fixed order per type), into the program state and the screen values.
#include <string>

#include "settings/ProgramState.h"
#include "settings/ScreenValues.h"

namespace k7 {

// The exchanges of showUnitSelections: shows the progress window ("Reading K-7700 Data",
// 54 transfers planned), reads the type and the settings of the sensor addressed by the ID
// field, and updates `m` (type, class, flags, formats, distance states, preset temperature,
// compensation mode, stored list positions, limits) and `screen` (only the fields read for
// the type: the others keep what they held). Closes the progress window at the end. Returns
// a note for the user naming each list setting whose code was beyond its list (left empty),
// or an empty text.
std::string readSensorSettings(ProgramState& m, ScreenValues& screen);

}  // namespace k7
