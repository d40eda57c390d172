#pragma once
// Programming the screen's settings into the sensor's EEPROM, every cell verified by reading
// it back, then restarting the sensor.
#include <string>
#include <vector>

#include "settings/ProgramState.h"
#include "settings/ScreenValues.h"

namespace k7 {

// The change history's name for a programming of the user settings.
inline constexpr const char* kProgramChange = "Program";

struct CellWrite {
    int address;
    std::string value;  // decimal text, as the write parameter block takes it
};

// The verified writes of writeAllUserEeprom for the sensor type, in order: 79, 80, 81, 82;
// 78; 83; 84..87; 114, 115; 88; 89; 105; 90; 91; 95; 94; 93; 101; 102; 103; 104; 117, 118;
// then 46..77. Cells not read for the type are left out (types 3 and 4: 103, 104; type 4
// also 78, 83, 101, 102), and so is the cell of a list that has no entry selected.
std::vector<CellWrite> userEepromWrites(const ProgramState& m, const ScreenValues& screen);

enum class ProgramStatus {
    Completed,       // every cell was sent and the sensor restarted
    TagUnavailable,  // the new ID tag is outside 1..32 or another sensor answers to it
    TagNotTaken,     // after the ID write the sensor still answers to its old tag
    Stopped,         // the program is ending (no-communication window); the writes stopped
    Busy,            // the line was held by something else; nothing was sent
};

struct ProgramResult {
    ProgramStatus status = ProgramStatus::Completed;
    // Cells that never read back what was written (the link has shown its message).
    std::vector<int> failedCells;
    int cellsWritten = 0;  // verified writes sent (the ID tag change not counted)
    bool ok() const { return status == ProgramStatus::Completed && failedCells.empty(); }
};

// The setting a user cell holds, by the caption of its field ("Hysteresis"; the first
// current-loop distance follows the span: "0 mA Distance" or "4 mA Distance"), and the name of
// that field on the main screen (empty where the cell holds parts of several fields).
struct CellSetting {
    std::string name;
    std::string field;
};
CellSetting cellSetting(int cell, int outputSpan);

// Which settings and cells did not take their values: "Hysteresis (cell 90) did not take the
// value written", "4 mA Distance (cells 79, 80) and Hysteresis (cell 90) did not take the
// values written".
std::string notTakenText(const std::vector<int>& failedCells, int outputSpan);

// writeAllUserEeprom: progress window ("Writing K-7700 Data", 55 planned), the ID tag change
// when the typed tag differs from currentIdTag (written once to the old tag, restart, then
// the new tag is used), every cell of userEepromWrites, the final restart.
//
// An ID change is made only when no other sensor answers to the new tag, and it is confirmed
// after the restart: when the new tag stays silent but the old one answers, the sensor did
// not take it, the ID field goes back to the old tag and nothing else is written. Both cases
// show their message through the link's message line. Updates screen.SingleSensorID (and the
// addressed tag) and m.discovery.currentIdTag to the tag the sensor answers to. The outcome is
// kept in m.runRecord under that tag (unless the line was busy and nothing was sent), and the
// change goes to the link's change history (joining a change the caller opened).
ProgramResult writeAllUserEeprom(ProgramState& m, ScreenValues& screen);

}  // namespace k7
