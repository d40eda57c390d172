// The acoustic data file reader on any bytes: no crash, no unbounded allocation, and a file it
// takes comes back the same after it is written out again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "acoustic/AcousticFile.h"

namespace {

// Lines as the file reader splits them: at LF, a CR before it dropped.
std::vector<std::string> linesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > k7::kAcousticFileMaxBytes) return 0;
    const std::optional<k7::EchoRecord> r = k7::parseAcousticFile(linesOf(data, size));
    if (!r) return 0;
    if (r->samples.size() != 320 && r->samples.size() != 1600) std::abort();

    const std::string text = k7::acousticFileText("fuzz", *r);
    const std::optional<k7::EchoRecord> again = k7::parseAcousticFile(
        linesOf(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!again || again->samples != r->samples || again->serialNumber != r->serialNumber ||
        again->gainCaption != r->gainCaption ||
        again->temperatureC.has_value() != r->temperatureC.has_value()) {
        std::abort();
    }
    if (r->temperatureC && std::fabs(*again->temperatureC - *r->temperatureC) >
                               1e-9 * (1 + std::fabs(*r->temperatureC))) {
        std::abort();
    }
    // Comments survive unless they hold what the writer must change (the marker character, a
    // lone carriage return).
    if (r->comments.find_first_of("\r\x06") == std::string::npos &&
        again->comments != r->comments) {
        std::abort();
    }
    return 0;
}
