#pragma once
// The setpoint outputs: the zone the target is in (with hysteresis) and the level each output
// takes in that zone.
#include <cstdint>
#include <optional>

#include "sim/Eeprom.h"

namespace k7::sim {

enum class Zone { NoEcho, Close, Mid, Far };

struct SetpointSettings {
    double closeInches = 0;
    double farInches = 0;
    double hysteresisPercent = 0;
    std::uint8_t levelsA = 0;  // bit 0 no echo, 1 far, 2 mid, 3 close
    std::uint8_t levelsB = 0;
    bool holdA = false;  // mid zone leaves output A as it was
    bool holdB = false;
    bool invertTarget = false;  // target indication "OFF": the echo output is off on an echo
};

SetpointSettings setpointSettings(const Eeprom& e);

struct Outputs {
    bool target = false;
    bool a = false;
    bool b = false;
};

// Zone changes use hysteresis on the side away from the zone: the close zone is entered below
// the close setpoint and left above close × (1 + h); the far zone is entered above the far
// setpoint and left below far × (1 − h).
class SetpointOutputs {
public:
    // `inches`: nullopt for no echo; a target too close counts as the close zone.
    Outputs update(std::optional<double> inches, const SetpointSettings& s);
    Zone zone() const { return zone_; }
    void reset() { *this = SetpointOutputs{}; }

private:
    Zone zone_ = Zone::NoEcho;
    bool a_ = false;
    bool b_ = false;
};

}  // namespace k7::sim
