#pragma once
// Current-loop calibration: the sensor is held in calibration mode and drives its loop at one
// of four points while the technician raises or lowers that point against a meter, or puts all
// four back to the defaults derived from the factory 20 mA reference.
#include <array>
#include <map>
#include <optional>

#include "link/Link.h"
#include "service/EepromAccess.h"
#include "status/StatusPoll.h"

namespace k7 {

struct CalibrationPoint {
    const char* caption;  // the option in the calibration window
    int highCell;         // EEPROM cells highCell, highCell + 1 hold the 16-bit point
    int raiseCommand;
    int lowerCommand;
    int outputCommand;  // drive the loop at this point
};

// 3.5, 4.0, 20.0 and 20.5 mA, in the window's order.
extern const std::array<CalibrationPoint, 4> kCalibrationPoints;

inline constexpr int kReference20mACell = 8;  // 8/9: the factory 20 mA reference
inline constexpr int kCalibrationMaxValue = 4095;

struct CalibrationDefaults {
    int p35 = 0, p40 = 0, p200 = 0, p205 = 0;
};

// The four points from the factory reference W: 0.175 W, 0.2 W, W and 1.025 W, each above 4095
// limited to 4095. nullopt for a reference outside 1..4095, which no sensor leaves the
// factory with (an erased or corrupted cell): points derived from it would drive the loop
// nowhere near its currents.
std::optional<CalibrationDefaults> calibrationDefaults(int reference);

// The writes of a restore, in their fixed order: 20.5, 20.0, 4.0 then 3.5 mA, high byte first.
std::array<CellValue, 8> calibrationWrites(const CalibrationDefaults& d);

// The calibration session of one opening of the window. Holds the status poll off from open()
// to close(); every step holds the line for its exchanges and refuses (with a beep) when
// another exchange has it.
class CurrentCalibration {
public:
    CurrentCalibration(Link& link, StatusPoll& poll) : link_(link), poll_(poll) {}
    ~CurrentCalibration() { close(); }
    CurrentCalibration(const CurrentCalibration&) = delete;
    CurrentCalibration& operator=(const CurrentCalibration&) = delete;

    // Poll off, calibration mode on (121), the 3.5 mA point driven (113).
    bool open();
    // Drives another point (113..116).
    bool selectPoint(int index);
    // Raises or lowers the selected point by 1 (fine) or 10, then drives it again.
    bool adjust(bool raise, bool fine);

    struct Restore {
        enum class Outcome { Done, Busy, NoReply, BadReference } outcome = Outcome::Done;
        int reference = 0;  // as read from cells 8/9
    };
    // Writes the defaults from the factory reference, restarts the sensor and puts it back in
    // calibration mode at the selected point.
    Restore restoreDefaults();
    // Calibration mode off (121), restart (119), poll back as it was. False (nothing sent)
    // when the line is held by another exchange: the session stays open.
    bool close();

    bool isOpen() const { return pause_.has_value(); }
    int point() const { return point_; }

private:
    void drive();

    Link& link_;
    StatusPoll& poll_;
    std::optional<PollPause> pause_;
    int point_ = 0;
    std::map<int, int> adjusted_;  // net raise (+) or lower (-) of each point, in its steps
};

}  // namespace k7
