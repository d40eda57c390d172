#include "settings/SensorTypes.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"
#include "settings/Lists.h"

namespace k7 {

SensorTypeInfo sensorTypeInfo(int type) {
    switch (type) {
        case 0:
            return {"Sensor: 220 kHz 8 degree beam", 220, false, false, false, false};
        case 1:
            return {"Sensor: 95 kHz 8 degree beam", 92, true, false, false, false};
        case 2:
            return {"Sensor: 220 kHz Extended Range", 220, false, false, false, false};
        case 3:
            return {"Sensor: G503/317", 92, true, true, false, false};
        case 4:
            return {"Sensor: G615", 92, true, false, true, false};
        case 5:
            return {"Sensor: Velkor custom", 220, false, false, false, false};
        case 6:
            return {"Sensor: 60 kHz 24 degree beam", 60, false, false, false, false};
        case 7:
            return {"Sensor: K7702/220 kHz 8 deg beam", 220, false, false, false, true};
        default:
            return {kUnknownSensorCaption, 0, false, false, false, false};
    }
}

std::string modelName(int type) {
    const std::string caption = sensorTypeInfo(type).caption;
    const std::string prefix = "Sensor: ";
    return caption.rfind(prefix, 0) == 0 ? caption.substr(prefix.size()) : caption;
}

ModelScreen modelScreen(int type) {
    const SensorTypeInfo info = sensorTypeInfo(type);
    const bool maxRange = info.g503 || info.slow;
    ModelScreen s;
    s.currentLoop = !maxRange;
    s.outputGroup = maxRange ? kMaxRangeGroup : kCurrentLoopGroup;
    s.triggerMode = !maxRange;
    s.triggerDelay = !info.slow;
    s.echoOutputWithNoEcho = !maxRange;
    s.temperature = !maxRange;
    s.outputCurrent = !maxRange;
    return s;
}

SensorLimits limitsFor(int type, int sensorClass, double userMaxRangeInches) {
    SensorLimits l;  // classes 60 and 92
    if (type == 3 || type == 4) {
        l.minDistance = type == 3 ? 5 : 10;
        l.maxDistance = 120;
        l.maxSampleRate = 50;
        // The hysteresis must leave the minimum distance below the user's maximum range. A
        // range at or below the minimum distance leaves no room: the limit stays at 0 rather
        // than below it, where no value could ever pass.
        double r = userMaxRangeInches > 0
                       ? roundHalfEven(100 * (1 - l.minDistance / userMaxRangeInches))
                       : 0;
        l.maxHysteresisPercent = std::max(r - 0.9, 0.0);
    } else if (sensorClass == 220) {
        l.minDistance = type == 7 ? 2 : 4;
        l.maxDistance = type == 0 ? 40 : (type == 7 ? 20 : 80);
        l.maxSampleRate = 100;
        l.maxHysteresisPercent = 89.1;
        l.minSeparation = 7.0 / 128;
        l.minHystGap = 7.0 / 128;
        l.minSeparationText = {".2 cm", ".06 in.", ".005 ft.", ".002 m"};
        l.minHystGapText = l.minSeparationText;
    }
    return l;
}

}  // namespace k7
