// What a technician types into the factory windows: a field check either refuses, naming the
// field, or gives a value inside its range; the low EEPROM rows give only bytes for their own
// cells; a description is refused or fits cells 6..29.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/FactoryBench.h"
#include "service/FieldCheck.h"
#include "service/LowEeprom.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const k7::Checked whole = k7::checkWhole(text, "Field", 0, 65535);
    if (whole ? (whole.value < 0 || whole.value > 65535)
              : whole.refusal.find("\"Field\"") == std::string::npos) {
        std::abort();
    }
    const k7::Checked real = k7::checkReal(text, "Field", -50, 77.5);
    if (real && !(real.real >= -50 && real.real <= 77.5)) std::abort();

    std::array<std::string, k7::kLowEepromRowCount> rows;
    std::size_t from = 0;
    for (std::string& row : rows) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        if (from <= text.size()) row = text.substr(from, end - from);
        from = end + 1;
    }
    const k7::LowEepromInput in = k7::checkLowEepromInput(rows);
    for (std::size_t i = 0; i < rows.size() && in.refusal.empty(); ++i) {
        if (!in.values[i]) continue;
        const k7::LowEepromRow& row = k7::kLowEepromRows[i];
        for (const k7::CellValue& c : k7::lowEepromCells(row, *in.values[i])) {
            if (c.cell < row.cell || c.cell >= row.cell + row.width || c.value < 0 ||
                c.value > 255) {
                std::abort();
            }
        }
    }

    if (const auto cells = k7::descriptionCells(text)) {
        for (const k7::CellValue& c : *cells) {
            if (c.cell < 6 || c.cell > 29 || c.value < 0 || c.value > 255) std::abort();
        }
    }
    return 0;
}
