#include "settings/Units.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "common/NumberText.h"

namespace k7 {
namespace {

double resolve(double x, double scale) {
    return std::floor(x * scale + 0.5) / scale;
}

// Value of `inches` in each display unit, before rounding.
std::array<double, 4> inUnits(double inches) {
    return {inches * 2.54, inches, inches / 12, inches * 2.54 / 100};
}

double toInches(double x, int unit) {
    switch (unit) {
        case kCm:
            return x / 2.54;
        case kFt:
            return x * 12;
        case kM:
            return x * 100 / 2.54;
        default:
            return x;
    }
}

double resolveUnit(int unit, double x) {
    switch (unit) {
        case kCm:
            return resolveCm(x);
        case kFt:
            return resolveFt(x);
        case kM:
            return resolveM(x);
        default:
            return resolveIn(x);
    }
}

}  // namespace

double resolveCm(double x) {
    return resolve(x, 10);
}
double resolveIn(double x) {
    return resolve(x, 100);
}
double resolveFt(double x) {
    return resolve(x, 1000);
}
double resolveM(double x) {
    return resolve(x, 10000);
}

void DistanceFormats::resetForSensor(bool family95kHz) {
    format[kCm] = "##0.0";
    if (!inchFormatFixed) format[kIn] = family95kHz ? "##0.0" : "##0.00";
    format[kFt] = family95kHz ? "#0.00" : "#0.000";
    format[kM] = "#0.000";
}

void DistanceFormats::fixInchDecimals(int places) {
    inchFormatFixed = true;
    format[kIn] = "##0." + std::string(static_cast<std::size_t>(std::max(places, 0)), '0');
}

double inchesToUnit(double inches, int unit) {
    return inUnits(inches)[static_cast<std::size_t>(std::clamp(unit, 0, 3))];
}

std::array<std::string, 4> unitTexts(double inches, const DistanceFormats& f) {
    const std::array<double, 4> v = inUnits(inches);
    std::array<std::string, 4> out;
    for (int u = 0; u < 4; ++u) {
        const auto i = static_cast<std::size_t>(u);
        out[i] = formatNumber(resolveUnit(u, v[i]), f.format[i]);
    }
    return out;
}

std::string distanceWithUnits(double inches, int unit, const DistanceFormats& f) {
    const auto u = static_cast<std::size_t>(unit);
    return formatNumber(resolveUnit(unit, inUnits(inches)[u]), f.format[u]) + kUnitSuffix[u];
}

void makeDistanceFieldFromStored(DistanceFieldState& s, const DistanceFormats& f) {
    s.inches = s.stored / 128.0;
    s.unitText = unitTexts(s.inches, f);
}

bool makeDistanceField(DistanceFieldState& s, std::string_view text, int unit,
                       const DistanceFormats& f) {
    double x = 0;
    if (!parseNumber(text, &x)) return false;
    const double inches = toInches(x, unit);
    // Each unit's text comes from the typed value converted directly, so the typed unit's
    // own text is exactly what was typed (rounded to its format).
    std::array<double, 4> v;
    switch (unit) {
        case kCm:
            v = {x, x / 2.54, x / 2.54 / 12, x / 100};
            break;
        case kFt:
            v = {x * 12 * 2.54, x * 12, x, x * 12 * 2.54 / 100};
            break;
        case kM:
            v = {x * 100, x * 100 / 2.54, x * 100 / 2.54 / 12, x};
            break;
        default:
            v = {x * 2.54, x, x / 12, x * 2.54 / 100};
            break;
    }
    for (int u = 0; u < 4; ++u) {
        const auto i = static_cast<std::size_t>(u);
        s.unitText[i] = formatNumber(resolveUnit(u, v[i]), f.format[i]);
    }
    s.inches = inches;
    // A value far beyond every sensor fails the range check; its count must still be one the
    // integer can hold.
    constexpr double kMaxCount = 2147483647.0;
    s.stored = static_cast<std::int32_t>(
        std::clamp(std::floor(inches * 128 + 0.5), -kMaxCount, kMaxCount));
    s.changed = false;
    return true;
}

std::string distFieldMessageStart(DistField field, bool zeroToTwenty) {
    switch (field) {
        case DistField::Dist04:
            return std::string("The ") + (zeroToTwenty ? "0 " : "4 ") +
                   "milliamp Distance is invalid. It must be a number between ";
        case DistField::Dist20:
            return "The 20 milliamp Distance is invalid. It must be a number between ";
        case DistField::CloseSetPoint:
            return "The Close Setpoint Distance is invalid. It must be a number between ";
        case DistField::FarSetPoint:
            return "The Far Setpoint Distance is invalid. It must be a number between ";
        case DistField::UserMaxRange:
            return "The User Max Range is invalid. It must be a number between ";
    }
    return {};
}

double commitPresetTemperatureC(std::string_view text, int temperatureUnit) {
    double c = leadingNumber(text);
    if (temperatureUnit == kFahrenheit) c = (c - 32) * 5 / 9;
    return roundPresetTemperatureC(c);
}

double roundPresetTemperatureC(double celsius) {
    return std::floor(2 * celsius + 0.5001) / 2;
}

}  // namespace k7
