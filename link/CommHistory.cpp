#include "link/CommHistory.h"

#include "common/VbText.h"

namespace k7 {

std::string CommHistory::fileText() const {
    std::string out = " " + std::to_string(index) + "\r\n";
    for (int r = 1; r <= 200; ++r) {
        const HistoryRecord& rec = records[static_cast<std::size_t>(r)];
        out += " " + std::to_string(r) + " \t";
        for (std::uint8_t b : rec.bytes) out += " " + std::to_string(b) + "\t";
        out += signedTextSingle(rec.time) + " \r\n";
    }
    return out;
}

}  // namespace k7
