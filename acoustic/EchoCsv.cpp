#include "acoustic/EchoCsv.h"

#include <array>

#include "acoustic/PlotScale.h"
#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "common/TextFile.h"
#include "settings/Units.h"

namespace k7 {
namespace {

// Enough places to tell neighbouring samples apart in every unit.
constexpr std::array<const char*, 4> kDistanceFormat = {"0.00", "0.000", "0.0000", "0.00000"};

}  // namespace

std::string echoCsvText(const EchoRecord& r, double kelvin, int unit) {
    const std::size_t u = static_cast<std::size_t>(unit >= 0 && unit <= 3 ? unit : kIn);
    const std::string unitName = kUnitName[u];
    std::vector<std::string> lines = {
        "Serial Number," + csvField(r.serialNumber),
        "Temperature (deg. C)," + (r.temperatureC ? plainText(*r.temperatureC) : ""),
        "Gain," + csvField(r.gainCaption),
        "Date," + csvField(r.date),
        "Unit," + unitName,
        "Sample,Distance (" + unitName + "),Level",
    };
    const int n = static_cast<int>(r.samples.size());
    const double p = samplesPerUnit(n, kelvin, static_cast<int>(u));
    for (int k = 1; k <= n; ++k) {
        lines.push_back(std::to_string(k) + "," + formatNumber(k / p, kDistanceFormat[u]) + "," +
                        std::to_string(r.samples[static_cast<std::size_t>(k - 1)]));
    }
    return joinCrLf(lines);
}

}  // namespace k7
