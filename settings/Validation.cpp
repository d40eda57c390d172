#include "settings/Validation.h"

#include <cmath>
#include <utility>

#include "common/NumberText.h"
#include "settings/Lists.h"

namespace k7 {
namespace {

// Slack on the distance limits, in inches: a value typed in another unit may land a hair
// beyond a limit after conversion.
constexpr double kDistanceTolerance = 0.004;

constexpr const char* kIdMessage = "The ID tag must be a number between 1 and 32 inclusive";
constexpr const char* kOrderMessage =
    "The Close Setpoint Distance must be less than the Far Setpoint Distance.";
constexpr const char* kNoEchoMessage = "The No Echo Time Out must be between 1 and 255, inclusive.";
constexpr const char* kTriggerDelayMessage =
    "The Trigger Delay must be between 0 and 255, inclusive.";

// A whole number as the fields show it; huge pasted values still give readable digits.
std::string wholeText(double v) {
    if (std::isfinite(v) && std::fabs(v) < 1e15) {
        return std::to_string(static_cast<long long>(v));
    }
    return plainText(v);
}

// Int(x + 0.5): how the whole-number fields read a typed value.
double roundedWhole(std::string_view text) {
    return std::floor(lenientNumber(text) + 0.5);
}

const char* lowCurrentName(const ScreenValues& screen) {
    return screen.OutputSpan == 0 ? "0 " : "4 ";
}

std::string distanceLimits(const ProgramState& m) {
    return distanceWithUnits(m.limits.minDistance, m.distanceUnit, m.formats) + " and " +
           distanceWithUnits(m.limits.maxDistance, m.distanceUnit, m.formats);
}

std::size_t unitIndex(const ProgramState& m) {
    return m.distanceUnit >= 0 && m.distanceUnit < 4 ? static_cast<std::size_t>(m.distanceUnit)
                                                     : std::size_t{1};
}

ValidationFailure fail(int step, std::string message, std::vector<std::string> red) {
    return ValidationFailure{step, std::move(message), std::move(red)};
}

// The range rule: the field is committed first, then its inches must lie within the sensor's
// limits. A text that does not parse fails here too. The field's own commit decides that,
// not a parse error left over from another field or an earlier edit.
std::optional<ValidationFailure> rangeRule(ProgramState& m, ScreenValues& screen, DistField field,
                                           int step) {
    const std::string name = kDistFieldName[static_cast<std::size_t>(field)];
    const bool parseFailed = commitDistanceField(m, screen, field).has_value();
    const double inches = m.distField(field).inches;
    if (parseFailed || inches < m.limits.minDistance - kDistanceTolerance ||
        inches > m.limits.maxDistance + kDistanceTolerance) {
        return fail(step, distFieldMessageStart(field, screen.OutputSpan == 0) + distanceLimits(m),
                    {name});
    }
    return std::nullopt;
}

std::optional<ValidationFailure> idTagStep(const ScreenValues& screen) {
    const double v = lenientNumber(screen.SingleSensorID);
    if (v < 1 || v > 32) return fail(1, kIdMessage, {"SingleSensorID"});
    return std::nullopt;
}

std::optional<ValidationFailure> separationStep(const ProgramState& m, const ScreenValues& screen) {
    const double gap =
        std::fabs(m.distField(DistField::Dist04).inches - m.distField(DistField::Dist20).inches);
    if (gap - m.limits.minSeparation < -kDistanceTolerance) {
        return fail(4,
                    std::string("The minimum separation between the ") + lowCurrentName(screen) +
                        "milliamp Distance and the 20 milliamp Distance is " +
                        m.limits.minSeparationText[unitIndex(m)],
                    {"Dist04", "Dist20"});
    }
    return std::nullopt;
}

// Rewrites the field with the whole number it will be programmed as, then tests it.
std::optional<ValidationFailure> hysteresisStep(const ProgramState& m, ScreenValues& screen,
                                                double* hOut) {
    const double h = roundedWhole(screen.Hysteresis1);
    screen.Hysteresis1 = wholeText(h);
    if (hOut) *hOut = h;
    if (h < 0 || h > m.limits.maxHysteresisPercent) {
        return fail(8,
                    "The Hysteresis percent value must be between 0 and " +
                        wholeText(std::floor(m.limits.maxHysteresisPercent)) + ", inclusive.",
                    {"Hysteresis1"});
    }
    return std::nullopt;
}

std::optional<ValidationFailure> sampleRateStep(const ProgramState& m, const ScreenValues& screen) {
    const int s = sampleRateCount(screen.SampleRate1);
    if (s < 1 || s > 10 * m.limits.maxSampleRate) {
        return fail(11,
                    "The Sample Rate must be between 0.1 and " + plainText(m.limits.maxSampleRate) +
                        ".0, inclusive.",
                    {"SampleRate1"});
    }
    return std::nullopt;
}

std::optional<ValidationFailure> noEchoStep(const ScreenValues& screen) {
    const double v = roundedWhole(screen.NoEchoTimeout);
    if (v < 1 || v > 255) return fail(12, kNoEchoMessage, {"NoEchoTimeout"});
    return std::nullopt;
}

std::optional<ValidationFailure> triggerDelayStep(const ScreenValues& screen) {
    const double v = roundedWhole(screen.TriggerDelay);
    if (v < 0 || v > 255) return fail(13, kTriggerDelayMessage, {"TriggerDelay"});
    return std::nullopt;
}

std::optional<ValidationFailure> presetTemperatureStep(const ProgramState& m,
                                                       const ScreenValues& screen) {
    const double v = lenientNumber(screen.ManualTemperature);
    if (m.temperatureUnit == kFahrenheit) {
        if (v < -13.05 || v > 167.05) {
            return fail(14,
                        "The Preset Temperature must be between -13 and 167 degrees "
                        "Fahrenheit, inclusive.",
                        {"ManualTemperature"});
        }
    } else if (v < -25.05 || v > 75.05) {
        return fail(14,
                    "The Preset Temperature must be between -25 and 75 degrees Celsius, "
                    "inclusive.",
                    {"ManualTemperature"});
    }
    return std::nullopt;
}

// A list left empty by a code the sensor held beyond it: programming would have nothing to
// write there.
std::optional<ValidationFailure> listStep(const ProgramState& m, const ScreenValues& screen) {
    const bool maxRangeModel = isMaxRangeModel(m.sensorType);
    const struct {
        int index;
        const char* field;
        const char* name;
        bool shown;
    } lists[] = {{screen.OutputSpan, "OutputSpan", kOutputSpanName, !maxRangeModel},
                 {screen.NoTargetCurrent, "NoTargetCurrent", kNoTargetCurrentName, !maxRangeModel},
                 {screen.cbMidMinLL, "cbMidMinLL", kMidMinName, true},
                 {screen.cbMidMaxLL, "cbMidMaxLL", kMidMaxName, true},
                 {screen.AverageSamples, "AverageSamples", kAverageSamplesName, true},
                 {screen.AverageType, "AverageType", kAverageTypeName, true},
                 {screen.TriggerMode, "TriggerMode", kTriggerModeName, !maxRangeModel}};
    for (const auto& l : lists) {
        if (l.shown && l.index < 0) {
            return fail(15,
                        std::string("Choose an entry for ") + l.name +
                            ": the sensor holds a code that is not in the list.",
                        {l.field});
        }
    }
    return std::nullopt;
}

std::optional<ValidationFailure> runSteps(ProgramState& m, ScreenValues& screen) {
    const bool maxRangeModel = isMaxRangeModel(m.sensorType);
    if (auto f = idTagStep(screen)) return f;
    if (!maxRangeModel) {
        if (auto f = rangeRule(m, screen, DistField::Dist04, 2)) return f;
        if (auto f = rangeRule(m, screen, DistField::Dist20, 3)) return f;
        if (auto f = separationStep(m, screen)) return f;
    }
    if (auto f = rangeRule(m, screen, DistField::CloseSetPoint, 5)) return f;
    if (auto f = rangeRule(m, screen, DistField::FarSetPoint, 6)) return f;
    if (maxRangeModel) {
        if (auto f = rangeRule(m, screen, DistField::UserMaxRange, 7)) return f;
    }
    double h = 0;
    if (auto f = hysteresisStep(m, screen, &h)) return f;

    const double close = m.distField(DistField::CloseSetPoint).inches;
    const double far = m.distField(DistField::FarSetPoint).inches;
    if (close > far) return fail(9, kOrderMessage, {"CloseSetPoint", "FarSetPoint"});
    // With both outputs holding their level in the mid zone the hysteresis has nothing to
    // separate, so the gap is not needed.
    const bool bothHold =
        screen.cbMidMinLL == kMidZoneNoChange && screen.cbMidMaxLL == kMidZoneNoChange;
    if (!bothHold && far * (1 - h / 100) - m.limits.minHystGap < close) {
        return fail(10,
                    "The Close Setpoint Distance must be no greater than the Far Setpoint "
                    "Distance with Hysteresis applied minus " +
                        m.limits.minHystGapText[unitIndex(m)],
                    {"CloseSetPoint", "FarSetPoint", "Hysteresis1"});
    }
    if (auto f = sampleRateStep(m, screen)) return f;
    if (auto f = noEchoStep(screen)) return f;
    if (auto f = triggerDelayStep(screen)) return f;
    if (!maxRangeModel) {
        if (auto f = presetTemperatureStep(m, screen)) return f;
    }
    return listStep(m, screen);
}

bool isDigitKey(int key) {
    return key >= '0' && key <= '9';
}

// A "." may be typed only when every "." already in the text lies inside the selection it
// is about to replace.
bool pointAllowed(std::string_view text, int selStart, int selLength) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '.') continue;
        const long long i = static_cast<long long>(k) + 1;  // counted from 1
        if (i < static_cast<long long>(selStart) + 1 ||
            i > static_cast<long long>(selStart) + selLength) {
            return false;
        }
    }
    return true;
}

}  // namespace

double lenientNumber(std::string_view text) {
    return leadingNumber(text);
}

int sampleRateCount(std::string_view text) {
    const double v = lenientNumber(text) * 10;
    // Far beyond any sensor's rate: any value out here fails the rule the same way, and the
    // int below must not overflow.
    constexpr double kLimit = 1e9;
    if (!(v > -kLimit && v < kLimit)) return static_cast<int>(v > 0 ? kLimit : -kLimit);
    const double high = std::floor(roundHalfEven(v) / 256);
    const double low = roundHalfEven(v - 256 * high);
    return static_cast<int>(high * 256 + low);
}

std::optional<ValidationFailure> commitDistanceField(ProgramState& m, ScreenValues& screen,
                                                     DistField field) {
    const auto i = static_cast<std::size_t>(field);
    DistanceFieldState& state = m.distField(field);
    if (!state.changed) return std::nullopt;
    m.distParseError = false;
    if (!makeDistanceField(state, screen.DistText[i], m.distanceUnit, m.formats)) {
        m.distParseError = true;
        return fail(0,
                    distFieldMessageStart(field, screen.OutputSpan == 0) + distanceLimits(m) + ".",
                    {kDistFieldName[i]});
    }
    screen.DistText[i] = state.unitText[unitIndex(m)];
    // The hysteresis limit of the maximum-range models follows the range the user types.
    if (field == DistField::UserMaxRange && isMaxRangeModel(m.sensorType)) {
        m.limits = limitsFor(m.sensorType, m.link.sensorClass, state.inches);
    }
    return std::nullopt;
}

std::optional<ValidationFailure> checkValues(ProgramState& m, ScreenValues& screen) {
    if (m.skipValidation) {
        m.valuesValid = true;
        return std::nullopt;
    }
    m.valuesValid = false;
    auto failure = runSteps(m, screen);
    m.valuesValid = !failure.has_value();
    return failure;
}

std::optional<ValidationFailure> checkField(ProgramState& m, ScreenValues& screen,
                                            std::string_view field) {
    if (m.skipValidation) return std::nullopt;
    const bool maxRangeModel = isMaxRangeModel(m.sensorType);
    if (field == "SingleSensorID") return idTagStep(screen);
    if (field == "Dist04") {
        if (maxRangeModel) return std::nullopt;
        return rangeRule(m, screen, DistField::Dist04, 2);
    }
    if (field == "Dist20") {
        if (maxRangeModel) return std::nullopt;
        return rangeRule(m, screen, DistField::Dist20, 3);
    }
    if (field == "CloseSetPoint") return rangeRule(m, screen, DistField::CloseSetPoint, 5);
    if (field == "FarSetPoint") return rangeRule(m, screen, DistField::FarSetPoint, 6);
    if (field == "UserMaxRange") {
        if (!maxRangeModel) return std::nullopt;
        return rangeRule(m, screen, DistField::UserMaxRange, 7);
    }
    if (field == "Hysteresis1") return hysteresisStep(m, screen, nullptr);
    if (field == "SampleRate1") return sampleRateStep(m, screen);
    if (field == "NoEchoTimeout") return noEchoStep(screen);
    if (field == "TriggerDelay") return triggerDelayStep(screen);
    if (field == "ManualTemperature") {
        if (maxRangeModel) return std::nullopt;
        return presetTemperatureStep(m, screen);
    }
    return std::nullopt;
}

KeyDecision filterKey(KeyFilter filter, int key, std::string_view text, int selStart,
                      int selLength) {
    constexpr KeyDecision kAccept{true, false, false};
    constexpr KeyDecision kReject{false, true, false};
    if (filter == KeyFilter::None) return kAccept;
    if (isDigitKey(key) || key == 8) return kAccept;
    if (filter == KeyFilter::Digits) return kReject;
    if (key == '.') return pointAllowed(text, selStart, selLength) ? kAccept : kReject;
    if (key == 13 && filter == KeyFilter::Distance) return KeyDecision{false, false, true};
    return kReject;
}

}  // namespace k7
