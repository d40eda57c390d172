#pragma once
// The sensor side of the acoustic display: the gain-switch position (command 101), the record
// (command 100, a raw stream of 320 or 1600 samples, twice for switching gain), the threshold
// code (cell 30), the keep-alive and the restart that ends display mode. Toolkit-free: it
// needs the link and the link's clock. Each sequence holds the line for its whole length.
#include <cstdint>
#include <optional>
#include <vector>

#include "acoustic/EchoRecord.h"
#include "link/Link.h"

namespace k7 {

inline constexpr std::int64_t kGainSearchUs = 14'000'000;
inline constexpr std::int64_t kGainSearchStepUs = 1'000'000;
inline constexpr std::int64_t kRecordTimeoutUs = 3'000'000;
inline constexpr int kRecordAttempts = 3;

// The sample from which the sensor runs at high gain, from its answer to 101; 0 for none.
int gainSwitchSampleOf(int word, int sensorClass);

struct CaptureResult {
    enum class Outcome {
        Captured,
        NoRecord,  // every attempt timed out
        Ending,    // the program is ending (Exit in the no-communication window)
        LineBusy,  // another exchange holds the line: try again later
    };
    Outcome outcome = Outcome::LineBusy;
    std::vector<std::uint8_t> samples;
    Gain gain = Gain::Switching;        // what the record is: High when switching fell back
    bool switchingUnavailable = false;  // no gain-switch position came
    int thresholdCode = 0;
};

class EchoCapture {
public:
    explicit EchoCapture(Link& link) : link_(link) {}

    // One capture of the sensor addressed by the link, in the gain asked for. Lets window
    // events run while it waits between gain-switch requests.
    CaptureResult capture(Gain requested);
    // readGainSwitchSample: one 101 exchange; the position, 0 when none (or no reply).
    int readGainSwitchSample();
    // One keep-alive exchange; false when the line is busy (try again shortly).
    bool keepAlive();
    // Ends display mode: command 119 and the link's restart wait. False when the line is busy.
    bool restartSensor();

    int gainSwitchSample = 0;

private:
    bool findGainSwitch();
    std::optional<std::vector<std::uint8_t>> readRecord(std::uint8_t gainSelect, std::size_t count);

    Link& link_;
    bool searchTimedOut_ = false;  // no position came in a whole search
};

}  // namespace k7
