#include "service/LowEeprom.h"

#include "service/FieldCheck.h"
#include "service/ToolLine.h"

namespace k7 {

const std::array<LowEepromRow, kLowEepromRowCount> kLowEepromRows{{
    {"Serial Number", "2-4", 2, 3, "ReadSN", "txtWriteSN"},
    {"Error Enables", "5", 5, 1, "ReadErrEnables", "txtWriteErrEnables"},
    {"Distance Cal", "6-7", 6, 2, "ReadDistCal", "txtWriteDistCal"},
    {"20 mA D/A Cal", "8-9", 8, 2, "Read20mAcal", "txtWrite20mAcal"},
    {"Temperature Cal", "10", 10, 1, "ReadTempCal", "txtWriteTempCal"},
    {"Gain Switch Delay , 1\"", "11", 11, 1, "ReadGSdelay", "txtWriteGSdelay"},
    {"Close Targ Delay, 25 uS", "12", 12, 1, "ReadCTdelay", "txtWriteCTdelay"},
    {"Lockout , .5\"", "13", 13, 1, "ReadLockout", "txtWriteLockout"},
    {"User Temperature Cal", "20", 20, 1, "ReadUserTcal", "txtWriteUserTcal"},
}};

LowEepromValues readLowEeprom(Link& link) {
    LowEepromValues values;
    const Link::Hold held = lineForTool(link);
    if (!held) return values;
    for (std::size_t i = 0; i < kLowEepromRows.size(); ++i) {
        const LowEepromRow& row = kLowEepromRows[i];
        const auto pair = readEeprom(link, row.cell);
        if (!pair) return values;
        if (row.width == 1) {
            values[i] = pair->cell;
        } else if (row.width == 2) {
            values[i] = pair->word();
        } else {
            const auto low = readEeprom(link, row.cell + 2);
            if (!low) return values;
            values[i] = 256L * pair->word() + low->cell;
        }
    }
    return values;
}

LowEepromInput checkLowEepromInput(const std::array<std::string, kLowEepromRowCount>& texts) {
    LowEepromInput in;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].find_first_not_of(' ') == std::string::npos) continue;
        const LowEepromRow& row = kLowEepromRows[i];
        const Checked c = checkWhole(texts[i], row.parameter, 0, row.max());
        if (!c) {
            in.refusal = c.refusal;
            in.values = {};
            return in;
        }
        in.values[i] = c.value;
    }
    return in;
}

std::vector<CellValue> lowEepromCells(const LowEepromRow& row, long value) {
    std::vector<CellValue> cells;
    for (int k = row.width - 1; k >= 0; --k) {
        cells.push_back({row.cell + k, static_cast<int>(value % 256)});
        value /= 256;
    }
    return cells;
}

LowEepromWrite writeLowEeprom(Link& link, const LowEepromValues& values) {
    LowEepromWrite result;
    bool any = false;
    for (const auto& v : values) any = any || v.has_value();
    if (!any) return result;
    const Link::Hold held = lineForTool(link);
    if (!held) {
        result.busy = true;
        return result;
    }
    ChangeScope change(link, "Low EEPROM");
    for (std::size_t i = 0; i < values.size() && !link.programEnding; ++i) {
        if (!values[i]) continue;
        const LowEepromRow& row = kLowEepromRows[i];
        if (row.width == 3) {
            sendUnlock(link, UnlockRegion::Low);
            sendUnlock(link, UnlockRegion::Middle);
        }
        if (const auto failed = writeCellsInOrder(link, lowEepromCells(row, *values[i]), true)) {
            result.failures.emplace_back(i, *failed);
        }
    }
    return result;
}

}  // namespace k7
