#pragma once
// What a technician reads from an acoustic record: where the transmit burst stops ringing,
// every echo above the threshold after it, the first of them as the target with its distance
// and margin, the noise floor, and which later echo is the target's multiple. Measured on the
// plot's own scale (PlotScale), so a mark lands where the plot draws the echo.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "acoustic/PlotScale.h"

namespace k7 {

enum class EchoKind { Target, Multiple, Other };

struct Echo {
    int start = 0;             // first sample above the threshold (samples count from 1)
    int end = 0;               // last sample above it
    double peakAt = 0;         // sample position of the peak (the centre of its upper half)
    int peakLevel = 0;         // highest sample
    double distance = 0;       // of the peak, display units
    double startDistance = 0;  // of the leading edge
    double width = 0;          // start to end, display units
    EchoKind kind = EchoKind::Other;
    bool clipped() const { return peakLevel >= 255; }
};

enum class EchoVerdict {
    Target,             // an echo above the threshold after the ringdown
    NoEcho,             // nothing above the threshold after the ringdown
    Saturated,          // every sample is 255
    EchoInRingdown,     // no echo after the ringdown, but one rises inside it
    RingdownNeverEnds,  // the record never falls below the threshold
};

struct EchoAnalysis {
    EchoVerdict verdict = EchoVerdict::NoEcho;
    int sampleCount = 0;
    int unit = 1;
    double samplesPerUnit = 0;
    double threshold = 0;
    int ringdownEnd = 0;  // the samples of the ringing from the start (0: none above)
    double ringdownDistance = 0;
    std::optional<double> ringdownEchoAt;  // distance of an echo rising inside the ringing
    std::optional<double> noiseFloor;      // median of the samples outside ringdown and echoes
    double noiseSpread = 0;                // their standard deviation (robust), counts
    std::vector<Echo> echoes;              // in order; the first is the target

    const Echo* target() const { return echoes.empty() ? nullptr : &echoes.front(); }
    // The target's peak less the threshold, in counts; and the peak over the threshold.
    std::optional<int> margin() const;
    std::optional<double> marginRatio() const;
};

EchoAnalysis analyzeEcho(std::span<const std::uint8_t> samples, const PlotScale& scale);

// "target", "no-echo", "saturated", "echo-in-ringdown", "ringdown-never-ends".
const char* verdictKey(EchoVerdict v);
// A sentence for a person: "No echo above the threshold".
const char* verdictText(EchoVerdict v);
const char* kindName(EchoKind k);  // "target", "multiple", "echo"

// A distance in the unit's display format, "25.02", "63.5"; and with its unit, "25.02 in".
std::string distanceNumber(double distance, int unit);
std::string distanceText(double distance, int unit);
// "+60", "-3".
std::string signedCount(int counts);
// "+109 (2.06 ×)", with "at least" for a clipped peak.
std::string marginText(const EchoAnalysis& a);

// The analysis as labelled rows for a person (the report, the display's panel).
std::vector<std::pair<std::string, std::string>> analysisRows(const EchoAnalysis& a);

}  // namespace k7
