#pragma once
// Distances are stored by the sensor as counts of 1/128 inch; the user sees centimetres,
// inches, feet or metres, and temperatures in Celsius or Fahrenheit. This file holds the
// conversions, their rounding and formats, and the state of the five distance fields.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace k7 {

enum DistanceUnitCode : int { kCm = 0, kIn = 1, kFt = 2, kM = 3 };
enum TemperatureUnitCode : int { kCelsius = 0, kFahrenheit = 1 };

inline constexpr std::array<const char*, 4> kUnitName = {"cm", "in", "ft", "m"};
inline constexpr std::array<const char*, 2> kTempUnitName = {"Deg. C", "Deg. F"};
inline constexpr std::array<const char*, 4> kUnitSuffix = {" cm", " in.", " ft.", " m"};

// Int(x * 10^k + 0.5) / 10^k with k = 1, 2, 3, 4: halves go up, negatives are floored.
double resolveCm(double x);
double resolveIn(double x);
double resolveFt(double x);
double resolveM(double x);

// The number format of each display unit. Reset from the sensor type at every settings read;
// the factory window can fix the inches format, after which resets leave it alone.
struct DistanceFormats {
    std::array<std::string, 4> format = {"##0.0", "##0.00", "#0.000", "#0.000"};
    bool inchFormatFixed = false;

    // cm "##0.0", in "##0.00" (or "##0.0" for the 95 kHz family), ft "#0.000" (or "#0.00").
    void resetForSensor(bool family95kHz);
    // Factory override: inches shown with `places` decimals ("##0." + zeros).
    void fixInchDecimals(int places);
};

// A distance in inches in display unit `unit`, unrounded (for plotting).
double inchesToUnit(double inches, int unit);

// The four display texts of a distance given in inches: each unit's value passed through its
// rounding routine and its format.
std::array<std::string, 4> unitTexts(double inches, const DistanceFormats& f);

// distanceWithUnits$: the distance in the current unit with its suffix, e.g. "1.000 ft.".
std::string distanceWithUnits(double inches, int unit, const DistanceFormats& f);

enum class DistField { Dist04 = 0, Dist20, CloseSetPoint, FarSetPoint, UserMaxRange };
inline constexpr int kDistFieldCount = 5;
inline constexpr std::array<const char*, 5> kDistFieldName = {"Dist04", "Dist20", "CloseSetPoint",
                                                              "FarSetPoint", "UserMaxRange"};

struct DistanceFieldState {
    std::array<std::string, 4> unitText;  // the value formatted in each unit, no suffix
    double inches = 0;                    // unrounded
    std::int32_t stored = 0;              // Int(Inches * 128 + 0.5)
    bool changed = false;                 // edited since last read
};

// Rebuilds a field from its Stored value (after a settings read or a setup recall).
void makeDistanceFieldFromStored(DistanceFieldState& s, const DistanceFormats& f);

// Reads the text as a number in `unit` and rebuilds the field; false (state unchanged) when
// the text is not a complete number. The caller shows the field's message on failure.
bool makeDistanceField(DistanceFieldState& s, std::string_view text, int unit,
                       const DistanceFormats& f);

// "The Close Setpoint Distance is invalid. It must be a number between " etc.; Dist04 names
// "0 " or "4 " milliamps by the output span (zeroToTwenty = "0-20 mA" selected).
std::string distFieldMessageStart(DistField field, bool zeroToTwenty);

// Preset temperature: typed value in the current unit -> Celsius in half degrees.
double commitPresetTemperatureC(std::string_view text, int temperatureUnit);
// A Celsius value to the half degree the sensor holds, as a typed one is: Int(2c + 0.5001) / 2.
double roundPresetTemperatureC(double celsius);
inline double celsiusToFahrenheit(double c) {
    return c * 9 / 5 + 32;
}

}  // namespace k7
