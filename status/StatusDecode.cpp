#include "status/StatusDecode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "settings/Lists.h"

namespace k7 {

std::string faultReportText(int faultBits, int sensorType) {
    std::string text;
    // One fault a line: a label breaks on a line feed, not on a bare carriage return.
    auto add = [&text](const char* message) {
        if (!text.empty()) text += '\n';
        text += message;
    };
    if (faultBits & 0x80) add("Brown-out Occurred");
    if (faultBits & 0x40) add("Watchdog Reset Occurred");
    if (faultBits & 0x20) {
        add(sensorType == 3   ? "Transponder Fault"
            : sensorType == 4 ? "Forward Transponder Fault"
                              : "Temperature Probe Fault");
    }
    if (faultBits & 0x18) add("Signal Fault");
    if (faultBits & 0x04) add(sensorType == 4 ? "Back Transponder Fault" : "Peak Detector Fault");
    if (faultBits & 0x02) add("K-7700 Setting replaced with default");
    if (faultBits & 0x01) add("Unable to program K-7700");
    return text;
}

double outputCurrent(const ProgramState& m, const ScreenValues& screen, bool noEcho,
                     double inches) {
    return loopCurrent(currentLoopOf(m, screen), noEcho, inches);
}

CurrentLoop currentLoopOf(const ProgramState& m, const ScreenValues& screen) {
    return {m.distField(DistField::Dist04).inches, m.distField(DistField::Dist20).inches,
            screen.OutputSpan, screen.NoTargetCurrent};
}

StatusView decodeStatus(ProgramState& m, const ScreenValues& screen) {
    StatusView v;
    // A read that gave up leaves no reply to decode; the readings stay as they were.
    if (m.link.replyOk == 0) return v;
    const StatusReading r = decodeReading(
        m.link.replyStatus(), m.link.replyWord34, m.link.dataByte(1), m.link.dataByte(2),
        m.sensorType, m.link.slowSensor, currentLoopOf(m, screen), m.lastAvgDistanceInches);
    v.reading = r;
    v.reading.tag = m.discovery.currentIdTag;
    v.reading.timeOfDay = m.link.clock().secondsSinceMidnight();
    v.reading.timeUs = m.link.clock().nowUs();
    switch (r.kind) {
        case StatusReading::Kind::Ignored:
            return v;
        case StatusReading::Kind::Fault:
            v.kind = StatusView::Kind::Fault;
            v.faultText = r.faultText;
            return v;
        case StatusReading::Kind::Normal:
            break;
    }
    v.kind = StatusView::Kind::Normal;
    if (r.distanceCount == 0) {
        v.AvgDist = "(no echo)";
    } else if (r.distanceCount == 1) {
        v.AvgDist = "(close)";  // the current keeps following the last distance seen
    } else {
        m.lastAvgDistanceStored = r.distanceCount;
        m.lastAvgDistanceInches = r.inches;
        v.AvgDist =
            unitTexts(m.lastAvgDistanceInches, m.formats)[static_cast<std::size_t>(m.distanceUnit)];
    }
    if (!std::isnan(r.currentMa)) v.CurrentOut = formatNumber(r.currentMa, "#0.00");

    m.measuredTemperatureC = r.temperatureC;
    m.measuredTemperatureF = celsiusToFahrenheit(m.measuredTemperatureC);
    m.temperatureReceived = true;

    if (r.strength >= 0) v.TargetStrength = std::to_string(r.strength);
    v.TargOut = onOffText(r.echoOut);
    v.MinOut = onOffText(r.outA);
    v.MaxOut = onOffText(r.outB);
    return v;
}

}  // namespace k7
