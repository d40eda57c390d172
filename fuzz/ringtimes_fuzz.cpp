// The ring-time window's columns from whatever the user types into the additive and multiplier
// fields and whatever word a sensor holds: no crash, and every column is a plain number text
// (or empty for a result too large to be a number).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/RingTimes.h"

namespace {

bool plainNumber(const std::string& s) {
    for (char c : s) {
        if (!(c == '-' || c == '.' || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int ticks = data[0] * 256 + data[1];
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t split = rest.find('\n');
    const std::string additive = rest.substr(0, split);
    const std::string multiplier = split == std::string::npos ? "" : rest.substr(split + 1);

    const std::string ms = k7::ringMsText(ticks);
    const std::string plus = k7::ringPlusText(ms, additive);
    const std::string times = k7::ringTimesText(plus, multiplier);
    if (ms.empty() || !plainNumber(ms) || !plainNumber(plus) || !plainNumber(times)) std::abort();
    return 0;
}
