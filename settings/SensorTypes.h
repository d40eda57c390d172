#pragma once
// The sensor models the program knows, and the per-model limits that validation and the unit
// texts depend on.
#include <array>
#include <string>

namespace k7 {

struct SensorTypeInfo {
    const char* caption;  // FactoryDescription, e.g. "Sensor: G615"
    int sensorClass;      // frequency class: 220, 92 (95 kHz family) or 60; 0 = keep previous
    bool family95kHz;     // 95 kHz formats
    bool g503;            // g503Sensor
    bool slow;            // slowSensor (G615)
    bool k7702;           // k7702Sensor
};

inline constexpr const char* kUnknownSensorCaption = "unknown sensor";

// Table entry for a type code; codes above 7 give "unknown sensor" with class 0 (unchanged).
SensorTypeInfo sensorTypeInfo(int type);

// The model's name for headings: the caption without its "Sensor: " ("G615").
std::string modelName(int type);

// True for the two related models (types 3 and 4) that show a maximum range instead of the
// current-loop settings.
inline bool isMaxRangeModel(int type) {
    return type == 3 || type == 4;
}

// Which settings and readings the main screen shows for a model. The G503 and G615 show their
// maximum range in place of the current loop and have no trigger mode, no setting for the echo
// output without an echo, no temperature and no output current to show; the G615 has no
// trigger delay either. The main window, the report, the comparison and `diff` all follow it.
struct ModelScreen {
    bool currentLoop = true;  // 4 and 20 mA distances, span, no-echo current; else maximum range
    const char* outputGroup = "";  // the title of the group that holds either
    bool triggerMode = true;
    bool triggerDelay = true;          // when the trigger mode asks for it
    bool echoOutputWithNoEcho = true;  // "Echo Status OUTPUT with No Echo"
    bool temperature = true;           // compensation, preset and measured temperature (and menus)
    bool outputCurrent = true;         // the live current OUTPUT
};

ModelScreen modelScreen(int type);

struct SensorLimits {
    double minDistance = 12;  // inches
    double maxDistance = 240;
    double maxSampleRate = 20;
    double maxHysteresisPercent = 94.1;
    double minSeparation = 1.0 / 16;  // inches
    double minHystGap = 1.0 / 16;
    std::array<std::string, 4> minSeparationText = {".2 cm", ".1 in.", ".01 ft.", ".002 m"};
    std::array<std::string, 4> minHystGapText = {".2 cm", ".1 in.", ".01 ft.", ".002 m"};
};

// Limits after a settings read of `type` of class `sensorClass`; userMaxRangeInches is the
// maximum range just read (types 3 and 4 derive their hysteresis limit from it).
SensorLimits limitsFor(int type, int sensorClass, double userMaxRangeInches);

}  // namespace k7
