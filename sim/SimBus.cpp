#include "sim/SimBus.h"

#include <algorithm>
#include <cmath>

namespace k7::sim {
namespace {

std::int64_t toUs(double exactUs) {
    return std::llround(exactUs);
}

}  // namespace

SimSensor& SimBus::addSensor(const SensorConfig& config) {
    stations_.push_back(std::make_unique<Station>(config));
    return stations_.back()->sensor;
}

SimSensor* SimBus::sensorWithTag(int tag) {
    for (auto& s : stations_) {
        if (s->sensor.activeTag() == tag) return &s->sensor;
    }
    return nullptr;
}

void SimBus::setFaults(std::size_t index, const FaultConfig& faults, std::uint32_t seed) {
    Station& s = *stations_.at(index);
    s.faults = FaultInjector(faults, seed);
    s.sensor.setFaultBits(s.sensor.faultBits() | faults.statusFaultBits);
}

void SimBus::receive(std::span<const std::uint8_t> bytes, std::int64_t nowUs) {
    for (std::uint8_t b : bytes) {
        lastInboundUs_ = std::max(static_cast<double>(nowUs), lastInboundUs_) + kByteTimeUs;
        ++receivedByteCount_;
        if (recording_) {
            if (receivedBytes_.size() == kMaxRecordedBytes) receivedBytes_.pop_front();
            receivedBytes_.push_back({toUs(lastInboundUs_), b});
        }
        if (echo_) queueOutbound(toUs(lastInboundUs_), b);
        byteArrived(b, lastInboundUs_);
    }
}

void SimBus::byteArrived(std::uint8_t b, double atUs) {
    if (!partial_.empty() && atUs - lastPartialByteUs_ > kFrameGapUs) partial_.clear();
    lastPartialByteUs_ = atUs;
    if (partial_.empty() && b != kStartByte) return;  // raw byte between frames
    partial_.push_back(b);
    if (partial_.size() < 6) return;

    Frame f;
    std::copy(partial_.begin(), partial_.end(), f.begin());
    if (frameChecksum(f) == f[5]) {
        partial_.clear();
        frameArrived(f, atUs);
        return;
    }
    // Not a frame after all: perhaps a real one starts further in.
    auto next = std::find(partial_.begin() + 1, partial_.end(), kStartByte);
    partial_.erase(partial_.begin(), next);
}

void SimBus::frameArrived(const Frame& frame, double atUs) {
    const std::int64_t t = toUs(atUs);
    if (recording_) {
        if (received_.size() == kMaxRecordedFrames) received_.pop_front();
        received_.push_back({t, frame});
    }
    for (auto& s : stations_) {
        if (!s->sensor.hears(frame, t)) continue;
        const FaultInjector::Admission a = s->faults.admit(frame, t);
        if (!a.deliver) continue;
        const Reply reply = s->sensor.handle(frame, t);
        const bool busy = s->faults.config().busy;
        const bool answers = !a.suppressReply && !reply.bytes.empty();
        // A busy sensor spends its delay on every request it takes, answered or not.
        if (!answers && !busy) continue;
        const std::int64_t streamDelay = reply.isFrame ? 0 : s->faults.config().streamDelayUs;
        const double start = busy ? std::max(atUs, s->freeAtUs) : atUs;
        const double replyAt =
            start + static_cast<double>(turnaroundUs_ + s->faults.replyDelayUs() + streamDelay);
        if (busy) {
            s->freeAtUs = replyAt + static_cast<double>(reply.bytes.size()) * kByteTimeUs;
        }
        if (answers) transmit(s->faults.shape(reply), replyAt);
    }
}

void SimBus::transmit(const std::vector<std::uint8_t>& bytes, double startUs) {
    double t = std::max(startUs, lastOutboundUs_);
    for (std::uint8_t b : bytes) {
        t += kByteTimeUs;
        queueOutbound(toUs(t), b);
    }
    if (!bytes.empty()) lastOutboundUs_ = t;
}

void SimBus::queueOutbound(std::int64_t atUs, std::uint8_t b) {
    // Echoed bytes and replies share the host's input in the order they reach it.
    auto at = std::upper_bound(outbound_.begin(), outbound_.end(), atUs,
                               [](std::int64_t t, const auto& entry) { return t < entry.first; });
    outbound_.emplace(at, atUs, b);
}

std::int64_t SimBus::visibleUs(std::int64_t wireUs) const {
    const std::int64_t tick = adapterLatencyUs_;
    if (tick <= 0) return wireUs;
    const std::int64_t q = wireUs >= 0 ? (wireUs + tick - 1) / tick : wireUs / tick;
    return q * tick;
}

int SimBus::available(std::int64_t nowUs) const {
    int n = 0;
    for (const auto& [t, b] : outbound_) {
        if (visibleUs(t) > nowUs) break;
        ++n;
    }
    return n;
}

std::optional<std::int64_t> SimBus::timeWhenAvailable(int count, std::int64_t nowUs) const {
    if (count <= 0) return nowUs;
    if (static_cast<std::size_t>(count) > outbound_.size()) return std::nullopt;
    return std::max(nowUs, visibleUs(outbound_[static_cast<std::size_t>(count - 1)].first));
}

std::optional<std::uint8_t> SimBus::take(std::int64_t nowUs) {
    if (outbound_.empty() || visibleUs(outbound_.front().first) > nowUs) return std::nullopt;
    const std::uint8_t b = outbound_.front().second;
    outbound_.pop_front();
    return b;
}

void SimBus::discard(std::int64_t nowUs) {
    while (!outbound_.empty() && visibleUs(outbound_.front().first) <= nowUs) outbound_.pop_front();
}

std::optional<std::int64_t> SimBus::nextArrivalUs() const {
    if (outbound_.empty()) return std::nullopt;
    return visibleUs(outbound_.front().first);
}

void SimBus::settle(std::int64_t nowUs) {
    for (auto& s : stations_) s->sensor.settle(nowUs);
}

int SimBus::countReceived(int command) const {
    return static_cast<int>(
        std::count_if(received_.begin(), received_.end(),
                      [command](const ReceivedFrame& f) { return f.bytes[2] == command; }));
}

int SimBus::countReceived(int command, int tag) const {
    return static_cast<int>(
        std::count_if(received_.begin(), received_.end(), [command, tag](const ReceivedFrame& f) {
            return f.bytes[2] == command && f.bytes[1] == tag;
        }));
}

}  // namespace k7::sim
