#pragma once
// The serial line of the link, wired to a simulated bus instead of a port. On a closed line
// every operation is harmless, as on the real line: nothing is waiting, writes go nowhere and
// a wait sleeps out its deadline.
#include <set>
#include <string>

#include "link/Clock.h"
#include "link/SerialLine.h"
#include "sim/SimBus.h"

namespace k7::sim {

class SimulatedLine final : public SerialLine {
public:
    SimulatedLine(SimBus& bus, Clock& clock) : bus_(bus), clock_(clock) {}

    // Device names that refuse to open (any other name opens).
    void setUnavailable(std::set<std::string> devices) { unavailable_ = std::move(devices); }
    const std::string& device() const { return device_; }

    // Throws LineError for an unavailable device or a malformed settings string.
    void open(const std::string& device, const std::string& settings) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override;
    void discardInput() override;
    void write(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> readByte() override;
    // Sleeps on the clock until the count-th byte arrives or the deadline, whichever is first.
    bool waitForBytes(int count, std::int64_t deadlineUs) override;

private:
    std::int64_t now();  // the clock's time, with the sensors brought up to it

    SimBus& bus_;
    Clock& clock_;
    std::set<std::string> unavailable_;
    std::string device_;
    bool open_ = false;
};

}  // namespace k7::sim
