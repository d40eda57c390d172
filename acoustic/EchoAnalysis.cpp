#include "acoustic/EchoAnalysis.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "settings/Units.h"

namespace k7 {
namespace {

// Dips below the threshold shorter than this (noise on an echo's shoulders) do not split an
// echo, and the ringing ends only where the record stays below the threshold this long: 2
// samples of a short record, 10 of a long one.
int holdSamples(int n) {
    return std::max(2, n / 160);
}

std::size_t unitIndex(int unit) {
    return static_cast<std::size_t>(std::clamp(unit, 0, 3));
}

double median(std::vector<double> v) {
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2) return upper;
    return (upper + *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid))) / 2;
}

// The number of leading samples that belong to the transmit burst's ringing.
int ringdownEnd(std::span<const std::uint8_t> x, double threshold, int hold) {
    const int n = static_cast<int>(x.size());
    int below = 0;
    for (int i = 0; i < n; ++i) {
        below = x[static_cast<std::size_t>(i)] <= threshold ? below + 1 : 0;
        if (below == hold) return i - hold + 1;
    }
    return n - below;
}

// The peak of the echo spanning indices first..last: the level-weighted centre of the samples
// around the highest one that lie in the upper half between the threshold and the peak. One
// noisy sample cannot move it, and a peak clipped flat at 255 is found in its middle.
double peakPosition(std::span<const std::uint8_t> x, int first, int last, double threshold) {
    auto at = [&x](int i) { return static_cast<double>(x[static_cast<std::size_t>(i)]); };
    int top = first;
    for (int i = first; i <= last; ++i) {
        if (at(i) > at(top)) top = i;
    }
    const double half = (at(top) + threshold) / 2;
    int lo = top, hi = top;
    while (lo > first && at(lo - 1) >= half) --lo;
    while (hi < last && at(hi + 1) >= half) ++hi;
    double sum = 0, weighted = 0;
    for (int i = lo; i <= hi; ++i) {
        const double w = at(i) - half + 1;  // the highest sample always weighs
        sum += w;
        weighted += w * (i + 1);
    }
    return weighted / sum;
}

// A rise inside the ringing that its decay cannot explain, and that falls back to where it
// rose from: an echo from a target too close to be told apart (a step up that stays up is the
// switch to high gain). Looked for on a lightly smoothed record so that noise does not count.
std::optional<int> riseInRingdown(std::span<const std::uint8_t> x, int end, double rise) {
    const int radius = std::max(1, static_cast<int>(x.size()) / 320);
    std::vector<double> smooth(static_cast<std::size_t>(end));
    for (int i = 0; i < end; ++i) {
        double sum = 0;
        int count = 0;
        for (int k = std::max(0, i - radius); k <= std::min(end - 1, i + radius); ++k, ++count) {
            sum += x[static_cast<std::size_t>(k)];
        }
        smooth[static_cast<std::size_t>(i)] = sum / count;
    }
    // From the top of the burst (past a ramp up, if the record starts with one).
    auto peak = smooth.begin();
    if (peak == smooth.end()) return std::nullopt;
    while (peak + 1 != smooth.end() && *(peak + 1) >= *peak) ++peak;
    double lowest = *peak;
    for (auto it = peak; it != smooth.end(); ++it) {
        lowest = std::min(lowest, *it);
        if (*it - lowest < rise) continue;
        // Risen: the top of the bump, then whether the record comes back down after it.
        auto top = it;
        for (auto k = it; k != smooth.end(); ++k) {
            if (*k > *top) top = k;
        }
        if (*std::min_element(top, smooth.end()) <= lowest + rise / 2) {
            return static_cast<int>(top - smooth.begin());
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> EchoAnalysis::margin() const {
    if (!target()) return std::nullopt;
    return static_cast<int>(std::lround(target()->peakLevel - threshold));
}

std::optional<double> EchoAnalysis::marginRatio() const {
    if (!target() || threshold <= 0) return std::nullopt;
    return target()->peakLevel / threshold;
}

EchoAnalysis analyzeEcho(std::span<const std::uint8_t> x, const PlotScale& scale) {
    EchoAnalysis a;
    const int n = static_cast<int>(x.size());
    a.sampleCount = n;
    a.unit = scale.unit;
    a.samplesPerUnit = scale.samplesPerUnit > 0 ? scale.samplesPerUnit : 1;
    a.threshold = scale.thresholdLevel;
    if (n == 0) return a;
    const double p = a.samplesPerUnit;
    const double t = a.threshold;
    const int hold = holdSamples(n);
    auto level = [&x](int i) { return x[static_cast<std::size_t>(i)]; };

    a.ringdownEnd = ringdownEnd(x, t, hold);
    a.ringdownDistance = a.ringdownEnd / p;

    // Echoes: runs above the threshold after the ringing, joined across short dips.
    std::vector<std::pair<int, int>> runs;
    for (int i = a.ringdownEnd; i < n;) {
        if (level(i) <= t) {
            ++i;
            continue;
        }
        const int first = i;
        while (i < n && level(i) > t) ++i;
        if (!runs.empty() && first - runs.back().second - 1 < hold) {
            runs.back().second = i - 1;
        } else {
            runs.emplace_back(first, i - 1);
        }
    }
    for (auto [first, last] : runs) {
        Echo e;
        e.start = first + 1;
        e.end = last + 1;
        e.peakLevel = *std::max_element(x.begin() + first, x.begin() + last + 1);
        e.peakAt = peakPosition(x, first, last, t);
        e.distance = e.peakAt / p;
        e.startDistance = e.start / p;
        e.width = (last - first + 1) / p;
        a.echoes.push_back(e);
    }

    // The noise floor: what lies between the echoes, clear of their edges.
    std::vector<double> quiet;
    for (int i = a.ringdownEnd, r = 0; i < n; ++i) {
        while (r < static_cast<int>(runs.size()) &&
               runs[static_cast<std::size_t>(r)].second + hold < i) {
            ++r;
        }
        const bool nearEcho = r < static_cast<int>(runs.size()) &&
                              i >= runs[static_cast<std::size_t>(r)].first - hold;
        if (!nearEcho) quiet.push_back(level(i));
    }
    if (!quiet.empty()) {
        a.noiseFloor = median(quiet);
        std::vector<double> deviation;
        for (double q : quiet) deviation.push_back(std::fabs(q - *a.noiseFloor));
        a.noiseSpread = 1.4826 * median(deviation);  // the standard deviation of normal noise
    }

    if (!a.echoes.empty()) {
        Echo& target = a.echoes.front();
        target.kind = EchoKind::Target;
        // The second bounce arrives at twice the target's time, give or take its width.
        const double twice = 2 * target.peakAt;
        const double tolerance = std::max<double>(target.end - target.start + 1, 0.04 * twice);
        for (std::size_t i = 1; i < a.echoes.size(); ++i) {
            if (std::fabs(a.echoes[i].peakAt - twice) <= tolerance) {
                a.echoes[i].kind = EchoKind::Multiple;
                break;
            }
        }
    }

    if (const auto rise = riseInRingdown(x, a.ringdownEnd, std::max(15.0, 3 * a.noiseSpread))) {
        a.ringdownEchoAt = (*rise + 1) / p;
    }

    if (std::all_of(x.begin(), x.end(), [](std::uint8_t v) { return v == 255; })) {
        a.verdict = EchoVerdict::Saturated;
    } else if (a.ringdownEnd >= n) {
        a.verdict = EchoVerdict::RingdownNeverEnds;
    } else if (!a.echoes.empty()) {
        a.verdict = EchoVerdict::Target;
    } else if (a.ringdownEchoAt) {
        a.verdict = EchoVerdict::EchoInRingdown;
    } else {
        a.verdict = EchoVerdict::NoEcho;
    }
    return a;
}

const char* verdictKey(EchoVerdict v) {
    switch (v) {
        case EchoVerdict::Target:
            return "target";
        case EchoVerdict::Saturated:
            return "saturated";
        case EchoVerdict::EchoInRingdown:
            return "echo-in-ringdown";
        case EchoVerdict::RingdownNeverEnds:
            return "ringdown-never-ends";
        default:
            return "no-echo";
    }
}

const char* verdictText(EchoVerdict v) {
    switch (v) {
        case EchoVerdict::Target:
            return "Target found";
        case EchoVerdict::Saturated:
            return "Saturated: every sample is 255";
        case EchoVerdict::EchoInRingdown:
            return "The echo lies inside the ringdown";
        case EchoVerdict::RingdownNeverEnds:
            return "The ringing never falls below the threshold";
        default:
            return "No echo above the threshold";
    }
}

const char* kindName(EchoKind k) {
    switch (k) {
        case EchoKind::Target:
            return "target";
        case EchoKind::Multiple:
            return "multiple";
        default:
            return "echo";
    }
}

std::string distanceNumber(double distance, int unit) {
    return formatNumber(distance, DistanceFormats{}.format[unitIndex(unit)]);
}

std::string distanceText(double distance, int unit) {
    return distanceNumber(distance, unit) + " " + kUnitName[unitIndex(unit)];
}

std::string signedCount(int counts) {
    return (counts >= 0 ? "+" : "") + std::to_string(counts);
}

std::string marginText(const EchoAnalysis& a) {
    const std::optional<int> m = a.margin();
    if (!m) return "none";
    const std::string text =
        signedCount(*m) + " (" + formatNumber(*a.marginRatio(), "0.00") + " ×)";
    return a.target()->clipped() ? "at least " + text : text;
}

std::vector<std::pair<std::string, std::string>> analysisRows(const EchoAnalysis& a) {
    std::vector<std::pair<std::string, std::string>> rows = {
        {"Result", verdictText(a.verdict)}, {"Threshold", formatNumber(a.threshold, "0")}};
    if (const Echo* t = a.target()) {
        rows.push_back({"Target", distanceText(t->distance, a.unit)});
        rows.push_back({"Leading edge", distanceText(t->startDistance, a.unit)});
        rows.push_back({"Width", distanceText(t->width, a.unit)});
        rows.push_back({"Peak", std::to_string(t->peakLevel) + (t->clipped() ? " (clipped)" : "")});
        rows.push_back({"Margin", marginText(a)});
    }
    rows.push_back({"Ringdown", a.ringdownEnd > 0 ? "to " + distanceText(a.ringdownDistance, a.unit)
                                                  : "none above the threshold"});
    if (a.ringdownEchoAt) {
        rows.push_back({"Echo in ringdown", "at about " + distanceText(*a.ringdownEchoAt, a.unit)});
    }
    rows.push_back(
        {"Noise floor", a.noiseFloor ? formatNumber(*a.noiseFloor, "0") : "not measurable"});
    std::string others;
    for (std::size_t i = 1; i < a.echoes.size(); ++i) {
        const Echo& e = a.echoes[i];
        if (!others.empty()) others += "\n";
        others += distanceText(e.distance, a.unit) + " (" +
                  (e.kind == EchoKind::Multiple ? "multiple, " : "") + "peak " +
                  std::to_string(e.peakLevel) + ")";
    }
    if (a.target()) rows.push_back({"Other echoes", others.empty() ? "none" : others});
    return rows;
}

}  // namespace k7
