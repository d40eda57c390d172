#include "acoustic/PlotScale.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"
#include "settings/Threshold.h"
#include "settings/Units.h"

namespace k7 {
namespace {

constexpr double kSoundCoefficient = 789.9147;  // inches per second per √kelvin
constexpr double kRoomKelvin = 293.15;
// Room above 255, as a share of the range below it.
constexpr double kHeadroom = 0.06;
// How long a record lasts: 320 samples span 7.886 ms, 1600 samples 39.146 ms.
constexpr double kShortRecordSeconds = 0.007886;
constexpr double kLongRecordSeconds = 0.039146;

struct UnitAxis {
    const char* caption;
    float shortSpacing;  // 320 samples
    float longSpacing;   // 1600 samples
};

constexpr std::array<UnitAxis, 4> kAxes{{
    {"Centimeters", 10.0f, 50.0f},
    {"Inches", 5.0f, 20.0f},
    {"Feet", 0.5f, 1.0f},
    {"Meters", 0.1f, 0.5f},
}};

const UnitAxis& axisOf(int unit) {
    return kAxes[static_cast<std::size_t>(std::clamp(unit, 0, 3))];
}

}  // namespace

double thresholdLevel(int code) {
    // Per entry of the threshold table, most sensitive first.
    constexpr std::array<double, kThresholds.size()> kLevels = {88, 103, 127, 151, 175};
    const std::optional<int> index = thresholdIndexOfCode(code);
    return index ? kLevels[static_cast<std::size_t>(*index)] : 103;
}

double captureKelvin(std::optional<double> measuredC) {
    if (measuredC && *measuredC > -30 && *measuredC < 75) return *measuredC + 273.15;
    return kRoomKelvin;
}

double recallKelvin(std::optional<double> fileC) {
    if (!fileC || !std::isfinite(*fileC)) return kRoomKelvin;
    const double k = *fileC + 273.15;
    return k < 1 ? kRoomKelvin : k;
}

double speedOfSound(double kelvin, int unit) {
    const double c = kSoundCoefficient * std::sqrt(kelvin);
    switch (unit) {
        case kCm:
            return 2.54 * c;
        case kFt:
            return c / 12;
        case kM:
            return 0.0254 * c;
        default:
            return c;
    }
}

double samplesPerUnit(int sampleCount, double kelvin, int unit) {
    const double c = speedOfSound(kelvin, unit);
    return sampleCount == 320 ? 640 / kShortRecordSeconds / c : 3200 / kLongRecordSeconds / c;
}

std::string tickLabel(float value) {
    return signedTextSingle(value);
}

PlotScale computePlotScale(std::span<const std::uint8_t> samples, int thresholdCode, double kelvin,
                           int unit) {
    PlotScale s;
    s.sampleCount = static_cast<int>(samples.size());
    const std::uint8_t lowest =
        samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
    s.base = lowest - 10.0;
    s.top = kTopLevel + kHeadroom * (kTopLevel - s.base);
    s.unit = std::clamp(unit, 0, 3);
    s.thresholdLevel = thresholdLevel(thresholdCode);
    const UnitAxis& axis = axisOf(unit);
    s.axisCaption = axis.caption;
    s.samplesPerUnit = samplesPerUnit(s.sampleCount, kelvin, unit);
    const float spacing = s.sampleCount == 320 ? axis.shortSpacing : axis.longSpacing;
    s.tickSpacing = spacing;
    for (int i = 0; i < kTickCount; ++i) {
        PlotTick& t = s.ticks[static_cast<std::size_t>(i)];
        const float value = static_cast<float>(i) * spacing;
        const double x = roundHalfEven(static_cast<double>(value) * s.samplesPerUnit);
        t.shown = x <= s.sampleCount;
        if (!t.shown) continue;
        t.x = static_cast<int>(x);
        t.label = tickLabel(value);
    }
    return s;
}

void includeLevels(PlotScale& s, std::span<const std::uint8_t> more) {
    if (more.empty()) return;
    s.base = std::min(s.base, *std::min_element(more.begin(), more.end()) - 10.0);
    s.top = kTopLevel + kHeadroom * (kTopLevel - s.base);
}

std::vector<int> amplitudeTicks(const PlotScale& s) {
    // The roundest step that still gives three labels or more.
    const double range = kTopLevel - s.base;
    int step = 1;
    for (int candidate : {100, 50, 20, 10, 5, 2}) {
        if (range / candidate >= 3) {
            step = candidate;
            break;
        }
    }
    std::vector<int> levels;
    for (int level = static_cast<int>(std::ceil(s.base / step)) * step; level <= kTopLevel;
         level += step) {
        levels.push_back(level);
    }
    return levels;
}

double pixelX(const PlotScale& s, const PlotArea& a, double x) {
    return a.left + x * a.width / std::max(s.sampleCount, 1);
}

double pixelY(const PlotScale& s, const PlotArea& a, double level) {
    return a.top + (s.top - level) * a.height / (s.top - s.base);
}

int pixelRow(const PlotScale& s, const PlotArea& a, double level) {
    // The bottom level sits on the last row inside the area, not the first row below it.
    const double y = std::floor(pixelY(s, a, level));
    return static_cast<int>(std::clamp(y, a.top, a.top + a.height - 1));
}

int pixelColumn(const PlotScale& s, const PlotArea& a, double x) {
    const double px = std::floor(pixelX(s, a, x));
    return static_cast<int>(std::clamp(px, a.left, a.left + a.width - 1));
}

int tickLabelLeft(const PlotScale& s, const PlotArea& a, int tickX, int labelWidth) {
    const double left = pixelX(s, a, tickX) - labelWidth / 2.0;
    return std::max(1, static_cast<int>(std::lround(left)));
}

double tickTopLevel(const PlotScale& s) {
    return s.base + 0.03 * (kTopLevel - s.base);
}

}  // namespace k7
