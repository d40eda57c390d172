#include "service/ThresholdChange.h"

#include <algorithm>
#include <utility>

#include "link/Commands.h"
#include "service/EepromAccess.h"
#include "service/ToolLine.h"
#include "settings/Threshold.h"

namespace k7 {
namespace {

// The link's waits drive the bar for the length of one change, and only then.
class ProgressDuringWaits {
public:
    ProgressDuringWaits(Link& link, const std::function<void()>& progress)
        : link_(link), kept_(std::exchange(link.ui().thresholdProgress, progress)) {
        link_.thresholdProgressActive = true;
    }
    ~ProgressDuringWaits() {
        link_.thresholdProgressActive = false;
        link_.ui().thresholdProgress = std::move(kept_);
    }
    ProgressDuringWaits(const ProgressDuringWaits&) = delete;
    ProgressDuringWaits& operator=(const ProgressDuringWaits&) = delete;

private:
    Link& link_;
    std::function<void()> kept_;
};

}  // namespace

std::optional<int> readThresholdCode(Link& link) {
    const auto pair = readEeprom(link, kThresholdCell);
    if (!pair) return std::nullopt;
    return pair->cell;
}

std::string existingThresholdText(int code) {
    const auto index = thresholdIndexOfCode(code);
    if (!index) return "Existing threshold = unknown (code " + std::to_string(code) + ")";
    return std::string("Existing threshold = ") +
           kThresholds[static_cast<std::size_t>(*index)].label + " Volts";
}

int thresholdProgressPercent(std::int64_t elapsedMs) {
    return static_cast<int>(std::clamp<std::int64_t>(elapsedMs * 100 / kThresholdChangeMs, 0, 100));
}

ThresholdChangeResult changeThreshold(Link& link, StatusPoll& poll, const StopWatch& watch,
                                      int code, const std::function<void()>& progress) {
    const Link::Hold held = lineForTool(link);
    if (!held) return ThresholdChangeResult::Busy;
    const PollPause pause(poll);
    const ProgressDuringWaits waits(link, progress);
    progress();
    ChangeScope change(link, "Sensitivity threshold");
    if (const auto index = thresholdIndexOfCode(code)) {
        change.note(std::string("threshold ") + kThresholds[static_cast<std::size_t>(*index)].label +
                    " V");
    }
    const bool written = writeEepromCell(link, kThresholdCell, code);
    progress();
    link.sendRequest(cmd::Restart);
    progress();
    if (watch.isRunning() && watch.elapsedMs() < kThresholdChangeMs) {
        const std::int64_t left = kThresholdChangeMs - watch.elapsedMs();
        link.pauseUntil(link.clock().nowUs() + left * 1000);
        progress();
    }
    if (link.programEnding) return ThresholdChangeResult::Stopped;
    return written ? ThresholdChangeResult::Written : ThresholdChangeResult::WriteFailed;
}

}  // namespace k7
