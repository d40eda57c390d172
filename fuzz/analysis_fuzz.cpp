// The echo analysis and the baseline comparison on any record: an answer that holds together,
// never a crash. The bytes are a record of 1600 or 320 samples, a byte choosing the unit, the
// threshold and the temperature, and what follows as a baseline record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "acoustic/EchoAnalysis.h"
#include "acoustic/EchoComparison.h"

namespace {

std::span<const std::uint8_t> recordAt(const std::uint8_t* data, std::size_t size) {
    return {data, size >= 1600 ? 1600u : size >= 320 ? 320u : 0u};
}

void check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> record = recordAt(data, size);
    if (record.empty()) return 0;
    const std::uint8_t knob = size > record.size() ? data[record.size()] : 0;
    constexpr int kCodes[] = {3, 5, 8, 11, 14, 0, 20, 5};
    const int unit = knob & 3;
    const double kelvin = 200 + (knob >> 5) * 25.0;
    const k7::PlotScale scale = k7::computePlotScale(record, kCodes[(knob >> 2) & 7], kelvin, unit);
    const k7::EchoAnalysis a = k7::analyzeEcho(record, scale);

    const int n = static_cast<int>(record.size());
    check(a.ringdownEnd >= 0 && a.ringdownEnd <= n);
    int previousEnd = a.ringdownEnd;
    for (const k7::Echo& e : a.echoes) {
        check(e.start > previousEnd && e.start <= e.end && e.end <= n);
        check(e.peakAt >= e.start && e.peakAt <= e.end);
        check(e.peakLevel > a.threshold && e.distance > 0 && e.width > 0);
        previousEnd = e.end;
    }
    check((a.verdict == k7::EchoVerdict::Target) == (a.target() != nullptr));
    check(a.margin().has_value() == (a.target() != nullptr));
    check(!k7::analysisRows(a).empty());

    const std::size_t rest = size - record.size() - (size > record.size() ? 1 : 0);
    const std::span<const std::uint8_t> other = recordAt(data + size - rest, rest);
    if (other.empty()) return 0;
    const k7::EchoAnalysis b = k7::analyzeEcho(other, k7::computePlotScale(other, 5, 293.15, unit));
    const k7::EchoDifferences d = k7::compareEchoes(a, b, "High Gain", "Low Gain");
    check(d.appeared.size() <= a.echoes.size() && d.gone.size() <= b.echoes.size());
    check(!k7::differenceLines(d).empty());
    return 0;
}
