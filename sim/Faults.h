#pragma once
// Faults the bus can put between the host and one sensor. Every random choice comes from the
// sensor's own generator, seeded once, so a run with the same seed repeats exactly.
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "link/Frame.h"
#include "sim/SimSensor.h"

namespace k7::sim {

struct FaultConfig {
    // Probabilities per reply (frames and streams alike, where the fault makes sense).
    double dropReply = 0;    // no reply at all
    double badChecksum = 0;  // byte 6 wrong
    double badTag = 0;       // tag 0 or 33, checksum right
    double shortReply = 0;   // only 1..5 bytes (a stream is cut somewhere)
    double lineNoise = 0;    // one corrupted byte inside the reply, or a stray byte before it
    double junkByte = 0;     // a stray byte just before the reply
    // The reply starts this much later than the line's turnaround, give or take the jitter
    // (a slow sensor; set it past the 75 ms window to have re-sent copies answered late).
    std::int64_t replyDelayUs = 0;
    std::int64_t replyJitterUs = 0;
    // One request at a time, as a small controller with one serial port: a request that
    // arrives while the sensor is still working on one before waits its turn, so the answer to
    // a re-sent copy comes a full delay after the answer to the first.
    bool busy = false;
    // Raw streams (the acoustic record, the RAM dump) start this much later again: a sensor
    // slow to put its record together.
    std::int64_t streamDelayUs = 0;
    std::set<int> refuseWriteCells{};             // writes to these cells never take
    std::map<int, int> failWritesBeforeAccept{};  // cell -> writes lost before one takes
    // The first copy of each request frame gets no reply; the same frame sent again within
    // kResendWindowUs is answered.
    bool firstAttemptLost = false;
    int silentAfterFrames = -1;        // after this many frames to it, the sensor is gone
    std::uint8_t statusFaultBits = 0;  // status replies are fault reports until command 125
};

class FaultInjector {
public:
    static constexpr std::int64_t kResendWindowUs = 150'000;

    FaultInjector() : FaultInjector(FaultConfig{}, 0) {}
    FaultInjector(const FaultConfig& config, std::uint32_t seed);

    const FaultConfig& config() const { return config_; }

    struct Admission {
        bool deliver = true;         // false: the sensor never sees the frame
        bool suppressReply = false;  // the sensor acts on it but its reply is lost
    };
    // Called for every frame addressed to the sensor, in arrival order.
    Admission admit(const Frame& request, std::int64_t nowUs);

    // The bytes that actually go on the line for `reply`.
    std::vector<std::uint8_t> shape(const Reply& reply);
    // How much later than the turnaround this reply starts.
    std::int64_t replyDelayUs();

private:
    bool roll(double probability);
    int below(int n);  // 0 .. n-1

    FaultConfig config_;
    std::mt19937 rng_;
    int framesSeen_ = 0;
    bool lostPending_ = false;
    Frame lostFrame_{};
    std::int64_t lostAtUs_ = 0;
};

}  // namespace k7::sim
