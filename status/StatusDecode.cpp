#include "status/StatusDecode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/NumberFormat.h"
#include "common/VbText.h"
#include "settings/Lists.h"

namespace k7 {
namespace {

inline constexpr int kFaultReportNibble = 112;
inline constexpr int kFirstIgnoredStatus = 80;
inline constexpr double kOverRangeCurrent = 20.2;

std::string strengthText(int status) {
    switch (status & 112) {
        case 0:
            return "0";
        case 16:
            return "25";
        case 32:
            return "50";
        case 48:
            return "75";
        case 64:
            return "100";
        default:
            return {};
    }
}

const char* onOff(int status, int bit) {
    return (status >> bit) & 1 ? kOn : kOff;
}

}  // namespace

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

double outputCurrent(const Module2& m, const ScreenValues& screen, bool noEcho, double inches) {
    if (noEcho) {
        const int i = screen.NoTargetCurrent;
        if (i < 0 || static_cast<std::size_t>(i) >= kNoTargetCurrentEntries.size()) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return leadingNumber(kNoTargetCurrentEntries[static_cast<std::size_t>(i)]);
    }
    const bool zeroToTwenty = screen.OutputSpan == 0;
    const double low = zeroToTwenty ? 0 : 4;
    const double lowMin = zeroToTwenty ? 0 : 3.8;
    const double d4 = m.distField(DistField::Dist04).Inches;
    const double d20 = m.distField(DistField::Dist20).Inches;
    const double x = inches;

    if (d4 < d20) {
        if (x < d4 - 1) return lowMin;
        if (x > d20 + 1) return kOverRangeCurrent;
    } else {
        if (x < d20 - 1) return kOverRangeCurrent;
        if (x > d4 + 1) return lowMin;
    }
    double current = 0;
    if (d4 == d20) {
        // No span to interpolate over: take the limit of the reversed span as it closes, a
        // step from full scale to the bottom at the one distance.
        current = x < d4 ? kOverRangeCurrent : (x > d4 ? lowMin : low);
    } else {
        current = low + (20 - low) * (x - d4) / (d20 - d4);
    }
    return std::clamp(current, lowMin, kOverRangeCurrent);
}

StatusView decodeStatus(Module2& m, const ScreenValues& screen) {
    StatusView v;
    // A read that gave up leaves no reply to decode; the readings stay as they were.
    if (m.link.CommOK == 0) return v;
    const int status = m.link.replyStatus();

    if ((status & 240) == kFaultReportNibble) {
        v.kind = StatusView::Kind::Fault;
        v.faultText = faultReportText(m.link.dataByte(1), m.SensorType);
        return v;
    }
    if (status >= kFirstIgnoredStatus) return v;

    v.kind = StatusView::Kind::Normal;
    const std::int32_t d = m.link.ReplyWord34;
    if (d == 0) {
        v.AvgDist = "(no echo)";
    } else if (d == 1) {
        v.AvgDist = "(close)";  // the current keeps following the last distance seen
    } else {
        m.LastAvgDistanceStored = d;
        m.LastAvgDistanceInches = d / 128.0;
        v.AvgDist =
            unitTexts(m.LastAvgDistanceInches, m.formats)[static_cast<std::size_t>(m.DistanceUnit)];
    }

    if (!m.link.SlowSensor) {
        const double current = outputCurrent(m, screen, d == 0, m.LastAvgDistanceInches);
        if (!std::isnan(current)) v.CurrentOut = formatNumber(current, "#0.00");
    }

    m.MeasuredTemperatureC = m.link.dataByte(2) / 2.0 - 50;
    m.MeasuredTemperatureF = celsiusToFahrenheit(m.MeasuredTemperatureC);
    m.TemperatureReceived = true;

    if (std::string s = strengthText(status); !s.empty()) v.TargetStrength = s;
    v.TargOut = onOff(status, 3);
    v.MinOut = onOff(status, 2);
    v.MaxOut = onOff(status, 1);
    return v;
}

}  // namespace k7
