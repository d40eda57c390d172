#include "acoustic/EchoCapture.h"

#include <algorithm>
#include <cmath>

#include "link/Commands.h"
#include "service/ThresholdChange.h"

namespace k7 {
namespace {

// 10 bits a byte at 19200 baud, and room for an adapter's latency.
constexpr std::int64_t kByteUs = 521;
constexpr std::int64_t kStreamMarginUs = 50'000;

}  // namespace

int gainSwitchSampleOf(int word, int sensorClass) {
    const double w = sensorClass == 92 ? 4.0 * word : word;
    const double sample = std::floor((w / 5 - 50) / 24.5 + 0.5) + 1;
    return sample < 0 ? 0 : static_cast<int>(std::min(sample, 32767.0));
}

int EchoCapture::readGainSwitchSample() {
    gainSwitchSample = 0;
    if (!link_.exchange(cmd::GainSwitch)) return 0;
    gainSwitchSample = gainSwitchSampleOf(link_.replyWord45, link_.sensorClass);
    return gainSwitchSample;
}

bool EchoCapture::findGainSwitch() {
    // Once a whole search found nothing, the next ones would only cost their 14 s again: a
    // single request keeps the sensor in display mode and takes a position if one comes.
    if (searchTimedOut_) return readGainSwitchSample() != 0;
    const std::int64_t deadline = link_.clock().nowUs() + kGainSearchUs;
    gainSwitchSample = 0;
    while (!link_.programEnding && link_.clock().nowUs() < deadline) {
        if (readGainSwitchSample() != 0) return true;
        link_.pauseUntil(link_.clock().nowUs() + kGainSearchStepUs);
    }
    searchTimedOut_ = !link_.programEnding;
    return false;
}

std::optional<std::vector<std::uint8_t>> EchoCapture::readRecord(std::uint8_t gainSelect,
                                                                 std::size_t count) {
    link_.scopeGainSelect = gainSelect;
    link_.sendRequest(cmd::AcousticData);
    const std::int64_t deadline = link_.clock().nowUs() + kRecordTimeoutUs;
    std::vector<std::uint8_t> got = link_.readStream(count, deadline);
    if (got.size() == count) return got;
    // A record that came too late is still on its way: let it end and drop it, or it would
    // run into the next attempt's record.
    const std::size_t missing = count - got.size();
    link_.readStream(missing, link_.clock().nowUs() + static_cast<std::int64_t>(missing) * kByteUs +
                                  kStreamMarginUs);
    return std::nullopt;
}

CaptureResult EchoCapture::capture(Gain requested) {
    CaptureResult r;
    const Link::Hold held = link_.hold();
    if (!held) return r;
    r.outcome = CaptureResult::Outcome::Ending;

    const bool found = findGainSwitch();
    if (link_.programEnding) return r;
    r.gain = requested;
    if (requested == Gain::Switching && !found) {
        r.gain = Gain::High;
        r.switchingUnavailable = true;
    }
    const std::uint8_t firstGain = r.gain == Gain::High ? 1 : 0;

    const std::size_t n = static_cast<std::size_t>(sampleCountFor(link_.sensorClass));
    const int switchAt = gainSwitchSample;
    std::optional<std::vector<std::uint8_t>> record;
    for (int attempt = 0; attempt < kRecordAttempts && !record && !link_.programEnding; ++attempt) {
        record = readRecord(firstGain, n);
        if (!record || r.gain != Gain::Switching) continue;
        // Switching gain: low gain before the switch position, high gain from it on.
        const std::optional<std::vector<std::uint8_t>> high = readRecord(1, n);
        if (!high) {
            record.reset();
            continue;
        }
        const std::size_t from = static_cast<std::size_t>(std::max(switchAt, 1) - 1);
        if (from < n) {
            std::copy(high->begin() + static_cast<long>(from), high->end(),
                      record->begin() + static_cast<long>(from));
        }
    }
    if (link_.programEnding) return r;
    if (!record) {
        r.outcome = CaptureResult::Outcome::NoRecord;
        return r;
    }
    const std::optional<int> code = readThresholdCode(link_);
    if (!code) return r;
    r.samples = std::move(*record);
    r.thresholdCode = *code;
    r.outcome = CaptureResult::Outcome::Captured;
    return r;
}

bool EchoCapture::keepAlive() {
    const Link::Hold held = link_.hold();
    if (!held) return false;
    readGainSwitchSample();
    return true;
}

bool EchoCapture::restartSensor() {
    const Link::Hold held = link_.hold();
    if (!held) return false;
    link_.sendRequest(cmd::Restart);
    return true;
}

}  // namespace k7
