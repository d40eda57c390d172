#include "sim/Faults.h"

#include <algorithm>

#include "link/Commands.h"

namespace k7::sim {

FaultInjector::FaultInjector(const FaultConfig& config, std::uint32_t seed)
    : config_(config), rng_(seed) {}

bool FaultInjector::roll(double probability) {
    // Rates of zero draw nothing, so adding an unused fault kind does not change a run.
    if (probability <= 0) return false;
    return static_cast<double>(rng_()) / 4294967296.0 < probability;
}

std::int64_t FaultInjector::replyDelayUs() {
    if (config_.replyJitterUs <= 0) return config_.replyDelayUs;
    const auto span = static_cast<int>(std::min<std::int64_t>(2 * config_.replyJitterUs, 1 << 30));
    return std::max<std::int64_t>(0,
                                  config_.replyDelayUs - config_.replyJitterUs + below(span + 1));
}

int FaultInjector::below(int n) {
    return static_cast<int>(rng_() % static_cast<unsigned>(n));
}

FaultInjector::Admission FaultInjector::admit(const Frame& request, std::int64_t nowUs) {
    Admission a;
    ++framesSeen_;
    if (config_.silentAfterFrames >= 0 && framesSeen_ > config_.silentAfterFrames) {
        a.deliver = false;
        return a;
    }
    if (request[2] == cmd::WriteEeprom) {
        const int address = request[3];
        if (config_.refuseWriteCells.count(address)) a.deliver = false;
        auto it = config_.failWritesBeforeAccept.find(address);
        if (it != config_.failWritesBeforeAccept.end() && it->second > 0) {
            --it->second;
            a.deliver = false;
        }
    }
    if (config_.firstAttemptLost) {
        const bool resend =
            lostPending_ && request == lostFrame_ && nowUs - lostAtUs_ <= kResendWindowUs;
        if (resend) {
            lostPending_ = false;
        } else {
            lostPending_ = true;
            lostFrame_ = request;
            lostAtUs_ = nowUs;
            a.suppressReply = true;
        }
    }
    return a;
}

std::vector<std::uint8_t> FaultInjector::shape(const Reply& reply) {
    std::vector<std::uint8_t> bytes = reply.bytes;
    if (bytes.empty()) return bytes;
    if (roll(config_.dropReply)) return {};
    if (reply.isFrame && bytes.size() == 6) {
        if (roll(config_.badTag)) {
            bytes[0] = below(2) ? 33 : 0;
            Frame f;
            std::copy(bytes.begin(), bytes.end(), f.begin());
            bytes[5] = frameChecksum(f);
        }
        if (roll(config_.badChecksum)) {
            bytes[5] = static_cast<std::uint8_t>(bytes[5] + 1 + below(255));
        }
    }
    if (roll(config_.lineNoise)) {
        if (below(2)) {
            const auto at = static_cast<std::size_t>(below(static_cast<int>(bytes.size())));
            bytes[at] ^= static_cast<std::uint8_t>(1 + below(255));
        } else {
            bytes.insert(bytes.begin(), static_cast<std::uint8_t>(below(256)));
        }
    }
    if (roll(config_.junkByte)) bytes.insert(bytes.begin(), static_cast<std::uint8_t>(below(256)));
    if (roll(config_.shortReply)) {
        const int keep = reply.isFrame
                             ? 1 + below(5)
                             : 1 + below(std::max(1, static_cast<int>(reply.bytes.size()) - 1));
        bytes.resize(static_cast<std::size_t>(keep));
    }
    return bytes;
}

}  // namespace k7::sim
