#include "acoustic/EchoComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace k7 {
namespace {

bool partners(const Echo& a, const Echo& b) {
    const double reach = std::max({a.width, b.width, 0.03 * std::max(a.distance, b.distance)});
    return std::fabs(a.distance - b.distance) <= reach;
}

// The echoes of `of` that have no partner among `in` (each partner taken once).
std::vector<Echo> unmatched(const std::vector<Echo>& of, const std::vector<Echo>& in) {
    std::vector<bool> taken(in.size());
    std::vector<Echo> left;
    for (const Echo& e : of) {
        std::optional<std::size_t> best;
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (taken[i] || !partners(e, in[i])) continue;
            if (!best || std::fabs(in[i].distance - e.distance) <
                             std::fabs(in[*best].distance - e.distance)) {
                best = i;
            }
        }
        if (best) {
            taken[*best] = true;
        } else {
            left.push_back(e);
        }
    }
    return left;
}

std::string signedDistance(double d, int unit) {
    return (d >= 0 ? "+" : "-") + distanceText(std::fabs(d), unit);
}

std::string echoText(const Echo& e, int unit) {
    return distanceText(e.distance, unit) + " (peak " + std::to_string(e.peakLevel) + ")";
}

}  // namespace

EchoDifferences compareEchoes(const EchoAnalysis& now, const EchoAnalysis& before,
                              const std::string& gainNow, const std::string& gainBefore) {
    EchoDifferences d;
    d.before = before.verdict;
    d.now = now.verdict;
    d.unit = now.unit;
    d.gainBefore = gainBefore;
    d.gainNow = gainNow;
    d.sampleStep = 1 / now.samplesPerUnit;
    d.holdSamples = std::max(2, now.sampleCount / 160);
    // Two captures of one scene differ by their noise: twice its spread, at least 3 counts.
    d.noiseCounts = std::max({3.0, 2 * now.noiseSpread, 2 * before.noiseSpread});
    d.ringdownChanged = now.ringdownDistance - before.ringdownDistance;
    d.appeared = unmatched(now.echoes, before.echoes);
    d.gone = unmatched(before.echoes, now.echoes);
    if (now.target() && before.target()) {
        d.targetMoved = now.target()->distance - before.target()->distance;
        d.marginChanged = *now.margin() - *before.margin();
        // Two targets that found no other partner are the same target, moved.
        auto isTarget = [](const Echo& e) { return e.kind == EchoKind::Target; };
        const bool movedAlone = std::any_of(d.appeared.begin(), d.appeared.end(), isTarget) &&
                                std::any_of(d.gone.begin(), d.gone.end(), isTarget);
        if (movedAlone) {
            std::erase_if(d.appeared, isTarget);
            std::erase_if(d.gone, isTarget);
        }
    }
    return d;
}

std::vector<std::string> differenceLines(const EchoDifferences& d) {
    std::vector<std::string> lines;
    if (d.before != d.now) {
        lines.push_back(std::string("Result was: ") + verdictText(d.before) +
                        "; now: " + verdictText(d.now));
    }
    if (d.gainBefore != d.gainNow) {
        lines.push_back("Gain was " + d.gainBefore + ", now " + d.gainNow);
    }
    // Changes smaller than a sample (a ringdown: than its hold; a margin: than the noise)
    // are not news.
    if (d.targetMoved && std::fabs(*d.targetMoved) >= d.sampleStep) {
        lines.push_back("Target moved by " + signedDistance(*d.targetMoved, d.unit));
    }
    if (d.marginChanged && std::abs(*d.marginChanged) >= d.noiseCounts) {
        lines.push_back("Margin changed by " + signedCount(*d.marginChanged));
    }
    if (std::fabs(d.ringdownChanged) >= d.holdSamples * d.sampleStep) {
        lines.push_back(std::string("Ringdown ") + (d.ringdownChanged > 0 ? "longer" : "shorter") +
                        " by " + distanceText(std::fabs(d.ringdownChanged), d.unit));
    }
    for (const Echo& e : d.appeared) lines.push_back("New echo at " + echoText(e, d.unit));
    for (const Echo& e : d.gone) lines.push_back("Gone: echo at " + echoText(e, d.unit));
    if (lines.empty()) lines.push_back("No difference in the echoes");
    return lines;
}

}  // namespace k7
