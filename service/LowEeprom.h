#pragma once
// The low EEPROM editor's cells: factory identity and calibration below cell 30, read as nine
// values and written only where the technician typed a value, each cell behind the unlock pair.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "link/Link.h"
#include "service/EepromAccess.h"

namespace k7 {

struct LowEepromRow {
    const char* parameter;  // the row's label
    const char* address;    // its address label
    int cell;               // the first (high) cell
    int width;              // cells, high byte first
    const char* readName;
    const char* writeName;
    long max() const { return (1L << (8 * width)) - 1; }
};
inline constexpr std::size_t kLowEepromRowCount = 9;
extern const std::array<LowEepromRow, kLowEepromRowCount> kLowEepromRows;

using LowEepromValues = std::array<std::optional<long>, kLowEepromRowCount>;

// The ten reads of "Read All" in their order, with the line held for all of them: the
// serial number from the word at 2 and the byte at 4, the byte at 5, the words at 6 and 8, the
// bytes at 10, 11, 12, 13 and 20. After a read without reply the rest stay empty.
LowEepromValues readLowEeprom(Link& link);

// The typed texts, row by row: an empty text is a value not to write; every other one must
// fit its cells. `refusal` names the first field that does not; then nothing is written.
struct LowEepromInput {
    LowEepromValues values;
    std::string refusal;
};
LowEepromInput checkLowEepromInput(const std::array<std::string, kLowEepromRowCount>& texts);

// The cells of one value in the order they are written: the serial number from its low byte
// (4, 3, 2), the words low byte first (7 then 6), one cell as it is.
std::vector<CellValue> lowEepromCells(const LowEepromRow& row, long value);

struct LowEepromWrite {
    bool busy = false;  // nothing was sent
    // The rows whose value did not take, with the cell that refused; the value's later cells
    // were not sent.
    std::vector<std::pair<std::size_t, int>> failures;
};
// "Write All Filled in Values": in table order, each cell by writeEepromCell; the serial number
// gets one more unlock pair before its first cell.
LowEepromWrite writeLowEeprom(Link& link, const LowEepromValues& values);

}  // namespace k7
