#pragma once
// Today's record beside a baseline (the one saved at commissioning): how far the target moved,
// how its margin changed, how the ringdown changed, and which echoes are new or gone.
#include <optional>
#include <string>
#include <vector>

#include "acoustic/EchoAnalysis.h"

namespace k7 {

struct EchoDifferences {
    EchoVerdict before = EchoVerdict::NoEcho;
    EchoVerdict now = EchoVerdict::NoEcho;
    std::optional<double> targetMoved;  // now less before, display units: both have a target
    std::optional<int> marginChanged;   // counts
    double ringdownChanged = 0;         // display units
    std::vector<Echo> appeared, gone;   // echoes with no partner in the other record
    std::string gainBefore, gainNow;    // the records' gain captions
    int unit = 1;
    double sampleStep = 0;   // one sample of today's record, display units
    int holdSamples = 2;     // the dip that ends a ringdown: a smaller change is noise
    double noiseCounts = 0;  // a margin changed by less is noise
};

// Echoes are partners when their peaks lie within the wider one's width (at least 3 % of the
// distance) of each other; two targets without partners are one target that moved. Both
// analyses must be in the same unit.
EchoDifferences compareEchoes(const EchoAnalysis& now, const EchoAnalysis& before,
                              const std::string& gainNow = {}, const std::string& gainBefore = {});

// One line a difference, for a person: "Target moved by +0.40 in", "New echo at 12.00 in
// (peak 130)"; "No difference in the echoes" when there is none.
std::vector<std::string> differenceLines(const EchoDifferences& d);

}  // namespace k7
