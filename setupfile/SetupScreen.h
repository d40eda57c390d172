#pragma once
// Between a setup file's values and the main screen's settings: what a save takes from the
// screen, and what a recall puts on it.
#include "settings/ProgramState.h"
#include "settings/ScreenValues.h"
#include "setupfile/SetupFormat.h"

namespace k7 {

// The settings as a save writes them: the distances' stored counts (not their rounded texts),
// the temperature compensation mode and preset temperature, and every other field as shown.
// The user maximum range is included for the maximum-range models.
SetupValues setupValuesFrom(const ProgramState& m, const ScreenValues& screen);

// Puts checked values (setupFitsSensor) on the screen of the sensor shown. Distances take the
// stored counts and show them in the current unit; they are programmed as those counts, not
// re-read from their rounded text. The compensation flag sets the mode that will be
// programmed; the preset temperature is rounded to half a degree as a typed one is. A Velkor
// sensor keeps its trigger mode, which is fixed at the factory. The maximum-range models'
// limits follow the recalled range.
void applySetup(ProgramState& m, ScreenValues& screen, const SetupValues& v);

}  // namespace k7
