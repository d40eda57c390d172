#pragma once
// One status reply as numbers: what the main window shows as captions, and what the line
// overview, the trend and the data log keep. Toolkit-free.
#include <cstdint>
#include <limits>
#include <string>

namespace k7 {

// What the output current of a sensor follows: its 4 (or 0) mA and 20 mA distances in
// inches, the span's list position (0 = 0-20 mA) and the no-target current's (-1: none).
struct CurrentLoop {
    double d4Inches = 0;
    double d20Inches = 0;
    int outputSpan = -1;
    int noTargetCurrent = -1;
};

// Output current in mA for a distance in inches; NaN for no echo while no no-target current
// is selected (nothing known to show).
double loopCurrent(const CurrentLoop& loop, bool noEcho, double inches);

struct StatusReading {
    enum class Kind { Normal, Fault, Ignored } kind = Kind::Ignored;
    int tag = 0;
    double timeOfDay = 0;     // seconds since midnight, when the reply came
    std::int64_t timeUs = 0;  // the link's monotonic clock, when the reply came

    // Normal status.
    std::int32_t distanceCount = 0;  // 1/128 inch; 0 no echo, 1 too close
    double inches = 0;               // the last distance seen (kept through "close")
    double currentMa = std::numeric_limits<double>::quiet_NaN();  // NaN: not shown
    double temperatureC = 0;
    int strength = -1;  // 0, 25, 50, 75, 100; -1 when the status byte holds another value
    bool echoOut = false, outA = false, outB = false;

    // Fault report.
    int faultBits = 0;
    std::string faultText;  // one fault a line

    bool noEcho() const { return kind == Kind::Normal && distanceCount == 0; }
    bool close() const { return kind == Kind::Normal && distanceCount == 1; }
};

// Decodes a status reply (status byte, replyWord34, data byte 1 for faults, data byte 2 for
// the temperature) of a sensor of `sensorType`. `lastInches` is the distance seen before, which
// the current keeps following while the target is too close. The slow model shows no current.
StatusReading decodeReading(int status, std::int32_t word34, int dataByte1, int dataByte2,
                            int sensorType, bool slow, const CurrentLoop& loop, double lastInches);

// The texts people read: "ON"/"OFF"; the distance with its unit suffix, "(no echo)" or
// "(close)"; the fault list on one line.
const char* onOffText(bool on);
std::string faultsOnOneLine(const std::string& faultText);

}  // namespace k7
