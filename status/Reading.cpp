#include "status/Reading.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"
#include "settings/Lists.h"
#include "status/StatusDecode.h"

namespace k7 {
namespace {

inline constexpr int kFaultReportNibble = 112;
inline constexpr int kFirstIgnoredStatus = 80;
inline constexpr double kOverRangeCurrent = 20.2;

int strength(int status) {
    const int s = status & 112;
    return s <= 64 ? s / 16 * 25 : -1;
}

}  // namespace

double loopCurrent(const CurrentLoop& loop, bool noEcho, double inches) {
    if (noEcho) {
        const int i = loop.noTargetCurrent;
        if (i < 0 || static_cast<std::size_t>(i) >= kNoTargetCurrentEntries.size()) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return leadingNumber(kNoTargetCurrentEntries[static_cast<std::size_t>(i)]);
    }
    const bool zeroToTwenty = loop.outputSpan == 0;
    const double low = zeroToTwenty ? 0 : 4;
    const double lowMin = zeroToTwenty ? 0 : 3.8;
    const double d4 = loop.d4Inches;
    const double d20 = loop.d20Inches;
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

StatusReading decodeReading(int status, std::int32_t word34, int dataByte1, int dataByte2,
                            int sensorType, bool slow, const CurrentLoop& loop, double lastInches) {
    StatusReading r;
    r.inches = lastInches;
    if ((status & 240) == kFaultReportNibble) {
        r.kind = StatusReading::Kind::Fault;
        r.faultBits = dataByte1;
        r.faultText = faultReportText(dataByte1, sensorType);
        return r;
    }
    if (status >= kFirstIgnoredStatus) return r;

    r.kind = StatusReading::Kind::Normal;
    r.distanceCount = word34;
    if (word34 > 1) r.inches = word34 / 128.0;  // "close" keeps the distance seen before
    if (!slow) r.currentMa = loopCurrent(loop, word34 == 0, r.inches);
    r.temperatureC = dataByte2 / 2.0 - 50;
    r.strength = strength(status);
    r.echoOut = (status >> 3) & 1;
    r.outA = (status >> 2) & 1;
    r.outB = (status >> 1) & 1;
    return r;
}

const char* onOffText(bool on) {
    return on ? kOn : kOff;
}

std::string faultsOnOneLine(const std::string& faultText) {
    std::string s = faultText;
    for (std::size_t i = 0; (i = s.find('\n', i)) != std::string::npos;) s.replace(i, 1, "; ");
    return s;
}

}  // namespace k7
