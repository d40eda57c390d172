#include "sim/Setpoints.h"

#include <algorithm>

namespace k7::sim {
namespace {

Zone nextZone(Zone previous, double d, const SetpointSettings& s) {
    const double h = std::clamp(s.hysteresisPercent / 100, 0.0, 0.99);
    switch (previous) {
        case Zone::Close:
            if (d > s.farInches) return Zone::Far;
            return d > s.closeInches * (1 + h) ? Zone::Mid : Zone::Close;
        case Zone::Far:
            if (d < s.closeInches) return Zone::Close;
            return d < s.farInches * (1 - h) ? Zone::Mid : Zone::Far;
        case Zone::Mid:
        case Zone::NoEcho:
            break;
    }
    if (d < s.closeInches) return Zone::Close;
    return d > s.farInches ? Zone::Far : Zone::Mid;
}

bool level(std::uint8_t levels, Zone zone, bool hold, bool previous) {
    switch (zone) {
        case Zone::NoEcho:
            return levels & 1;
        case Zone::Far:
            return levels & 2;
        case Zone::Mid:
            return hold ? previous : (levels & 4) != 0;
        case Zone::Close:
            return levels & 8;
    }
    return false;
}

}  // namespace

SetpointSettings setpointSettings(const Eeprom& e) {
    SetpointSettings s;
    s.closeInches = eepromWord(e, cell::CloseSetpoint) / 128.0;
    s.farInches = eepromWord(e, cell::FarSetpoint) / 128.0;
    s.hysteresisPercent = e[cell::Hysteresis];
    s.levelsA = e[cell::LevelsA];
    s.levelsB = e[cell::LevelsB];
    s.holdA = e[cell::MidZoneHold] & 1;
    s.holdB = e[cell::MidZoneHold] & 2;
    s.invertTarget = e[cell::TargetIndication] & 1;
    return s;
}

Outputs SetpointOutputs::update(std::optional<double> inches, const SetpointSettings& s) {
    zone_ = inches ? nextZone(zone_, *inches, s) : Zone::NoEcho;
    a_ = level(s.levelsA, zone_, s.holdA, a_);
    b_ = level(s.levelsB, zone_, s.holdB, b_);
    return {inches.has_value() != s.invertTarget, a_, b_};
}

}  // namespace k7::sim
