#pragma once
// Several simulated sensors on one serial line at 19200 baud (10 bits a byte). Bytes the host
// hands over at time t arrive one byte time apart, each no earlier than t plus a byte time and
// never before the previous one has arrived; a frame is taken when its sixth byte has arrived,
// the addressed sensor acts on it at that moment and its reply starts after the turnaround,
// again a byte time per byte. Only the addressed sensor answers; nobody answers a missing tag.
//
// Each frame is handled as soon as receive() is given its bytes, at the frame's arrival time,
// so set up the scene (targets, faults) before the host writes. Frames start at a 170 byte; a
// gap of more than kFrameGapUs between two bytes drops a partial frame, and six bytes that do
// not add up are searched for the next 170, so stray raw bytes never spoil the next frame.
// Sensors sharing a tag both answer, one after the other.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "link/Frame.h"
#include "sim/Faults.h"
#include "sim/SimSensor.h"

namespace k7::sim {

struct ReceivedFrame {
    std::int64_t timeUs;  // arrival of the frame's last byte
    Frame bytes;
};

// One byte as it arrived, frame or not (raw test patterns are no frames).
struct ReceivedByte {
    std::int64_t timeUs;
    std::uint8_t value;
};

class SimBus {
public:
    static constexpr double kByteTimeUs = 10 * 1e6 / 19200;  // 520.833 µs
    static constexpr std::int64_t kFrameGapUs = 10'000;
    static constexpr std::int64_t kDefaultTurnaroundUs = 1'000;

    // --- sensors and faults ---
    SimSensor& addSensor(const SensorConfig& config);
    std::size_t sensorCount() const { return stations_.size(); }
    SimSensor& sensor(std::size_t index) { return stations_.at(index)->sensor; }
    // The first sensor whose active tag is `tag`, or null.
    SimSensor* sensorWithTag(int tag);
    void setFaults(std::size_t index, const FaultConfig& faults, std::uint32_t seed);
    void setTurnaroundUs(std::int64_t us) { turnaroundUs_ = us; }
    std::int64_t turnaroundUs() const { return turnaroundUs_; }
    // A two-wire adapter that hands the host back every byte it sends.
    void setEcho(bool on) { echo_ = on; }
    bool echo() const { return echo_; }
    // A USB adapter's latency timer: received bytes reach the host only at its ticks.
    void setAdapterLatencyUs(std::int64_t us) { adapterLatencyUs_ = std::max<std::int64_t>(0, us); }
    std::int64_t adapterLatencyUs() const { return adapterLatencyUs_; }

    // --- the host's side of the line ---
    void receive(std::span<const std::uint8_t> bytes, std::int64_t nowUs);
    // Bytes that have arrived at the host and are neither taken nor discarded.
    int available(std::int64_t nowUs) const;
    // When `count` bytes will be available; nullopt when what is on its way is not enough.
    std::optional<std::int64_t> timeWhenAvailable(int count, std::int64_t nowUs) const;
    std::optional<std::uint8_t> take(std::int64_t nowUs);
    // Drops the bytes that have arrived; bytes still in flight stay in flight.
    void discard(std::int64_t nowUs);
    // Arrival time of the earliest byte not yet taken, arrived or not.
    std::optional<std::int64_t> nextArrivalUs() const;
    // Brings every sensor up to nowUs (finished writes and restarts), so that what tests
    // inspect is current. The simulated line does this on every operation.
    void settle(std::int64_t nowUs);

    // --- what the host sent ---
    // Tests look at what was sent; a simulator that serves for days has no use for it.
    void setRecording(bool on) { recording_ = on; }
    // The latest kMaxRecordedFrames frames received.
    const std::deque<ReceivedFrame>& received() const { return received_; }
    static constexpr std::size_t kMaxRecordedFrames = 1u << 16;
    // Every byte received, the latest kMaxRecordedBytes of them.
    const std::deque<ReceivedByte>& receivedBytes() const { return receivedBytes_; }
    static constexpr std::size_t kMaxRecordedBytes = 1u << 16;
    void clearReceived() {
        received_.clear();
        receivedBytes_.clear();
    }
    int countReceived(int command) const;
    int countReceived(int command, int tag) const;
    std::int64_t receivedByteCount() const { return receivedByteCount_; }

private:
    struct Station {
        explicit Station(const SensorConfig& config) : sensor(config) {}
        SimSensor sensor;
        FaultInjector faults;
        double freeAtUs = 0;  // a busy sensor takes no new request before this
    };

    void byteArrived(std::uint8_t b, double atUs);
    void queueOutbound(std::int64_t atUs, std::uint8_t b);
    // When a byte on the wire at `wireUs` reaches the host through the adapter.
    std::int64_t visibleUs(std::int64_t wireUs) const;
    void frameArrived(const Frame& frame, double atUs);
    void transmit(const std::vector<std::uint8_t>& bytes, double startUs);

    std::vector<std::unique_ptr<Station>> stations_;
    std::int64_t turnaroundUs_ = kDefaultTurnaroundUs;
    std::int64_t adapterLatencyUs_ = 0;
    bool echo_ = false;

    // Arrival times are kept exact (fractional µs) so byte times do not drift; what the host
    // sees is rounded to whole µs.
    double lastInboundUs_ = -1e18;
    double lastOutboundUs_ = -1e18;
    std::vector<std::uint8_t> partial_;
    double lastPartialByteUs_ = 0;
    std::deque<std::pair<std::int64_t, std::uint8_t>> outbound_;

    bool recording_ = true;
    std::deque<ReceivedFrame> received_;
    std::deque<ReceivedByte> receivedBytes_;
    std::int64_t receivedByteCount_ = 0;
};

}  // namespace k7::sim
