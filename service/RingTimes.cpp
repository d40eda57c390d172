#include "service/RingTimes.h"

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "service/EepromAccess.h"
#include "service/ToolLine.h"

namespace k7 {
namespace {
constexpr double kMsPerTick = 0.0008;
constexpr const char* kFwdSensing = "Echo Capture line (Mux=fwd sensing):";
constexpr const char* kBackSensing = "Echo Capture line (Mux=back sensing):";
constexpr const char* kBackXponder = "Back Transponder (150):";
constexpr const char* kFwdXponder = "Forward Transponder (95):";
}  // namespace

const std::array<RingTimeRow, kRingTimeRows> kRingTimes{{
    {kFwdSensing, "LockFSdueFS"},
    {kBackXponder, "LockBXdueFS"},
    {kFwdXponder, "LockFXdueFS"},
    {kBackSensing, "LockBSdueBS"},
    {kBackXponder, "LockBXdueBS"},
    {kFwdXponder, "LockFXdueBS"},
    {kBackXponder, "LockBXdueBX"},
    {kFwdSensing, "LockFSdueBX"},
    {kBackSensing, "LockBSdueBX"},
    {kFwdXponder, "LockFXdueBX"},
    {kFwdXponder, "LockFXdueFX"},
    {kBackSensing, "LockBSdueFX"},
    {kFwdSensing, "LockFSdueFX"},
    {kBackXponder, "LockBXdueFX"},
}};

const std::array<RingTimeGroup, 4> kRingTimeGroups{{
    {"Ringing due to 150 KHz Forward Sensing ping", 0, 3},
    {"Ringing due to 95 KHz Backward Sensing ping", 3, 3},
    {"Ringing due to Back Xponder (150 KHz)", 6, 4},
    {"Ringing due to Forward Xponder (95 KHz)", 10, 4},
}};

int ringTimeCell(int row) {
    return row < 12 ? 21 + 2 * row : 2 * row - 8;
}

std::optional<std::array<int, kRingTimeRows>> readRingTimes(Link& link) {
    const Link::Hold held = lineForTool(link);
    if (!held) return std::nullopt;
    std::array<int, kRingTimeRows> words{};
    for (int row = 0; row < kRingTimeRows; ++row) {
        const auto pair = readEeprom(link, ringTimeCell(row));
        if (!pair) return std::nullopt;
        words[static_cast<std::size_t>(row)] = pair->word();
    }
    return words;
}

std::string ringMsText(int ticks) {
    return formatNumber(ticks * kMsPerTick, "###.00");
}

std::string ringPlusText(const std::string& msText, const std::string& additive) {
    return formatNumber(leadingNumber(msText) + leadingNumber(additive), "##0.00");
}

std::string ringTimesText(const std::string& plusText, const std::string& multiplier) {
    return formatNumber(leadingNumber(plusText) * leadingNumber(multiplier), "##0.0");
}

}  // namespace k7
