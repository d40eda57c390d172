#pragma once
// Decoding the status reply (command 2): the live readings, or the list of faults.
#include <optional>
#include <string>

#include "settings/ProgramState.h"
#include "settings/ScreenValues.h"
#include "status/Reading.h"

namespace k7 {

struct StatusView {
    enum class Kind { Normal, Fault, Ignored } kind = Kind::Ignored;

    // Normal status. Each optional is set when the reading is to be written; captions are
    // only rewritten by the window when their text changes.
    std::string AvgDist;                        // "(no echo)", "(close)" or the distance text
    std::optional<std::string> CurrentOut;      // "#0.00"; not for the slow model
    std::optional<std::string> TargetStrength;  // "0", "25", ... "100"; unknown values keep
    std::string TargOut, MinOut, MaxOut;        // "ON" / "OFF"

    // Fault report: the faults' messages, one a line.
    std::string faultText;

    // The same reply as numbers, stamped with the sensor's tag and the time it came.
    StatusReading reading;
};

// The fault list for fault bits of the sensor type, in table order.
std::string faultReportText(int faultBits, int sensorType);

// Output current in mA for a distance in inches (the live reading), per the screen's
// current-loop settings: D4/D20 from m.dist, span and no-target current from the screen.
// NaN for no echo while no no-target current is selected (nothing known to show).
double outputCurrent(const ProgramState& m, const ScreenValues& screen, bool noEcho, double inches);
// The current-loop settings on screen.
CurrentLoop currentLoopOf(const ProgramState& m, const ScreenValues& screen);

// updateStatusData's decoding of m.link's last reply: updates the live values in m (last
// average distance, measured temperature, temperatureReceived) and returns what to show.
StatusView decodeStatus(ProgramState& m, const ScreenValues& screen);

}  // namespace k7
