#pragma once
// The serial line of the link, wired to a simulated bus instead of a port. On a closed line
// every operation is harmless, as on the real line: nothing is waiting, writes go nowhere and
// a wait sleeps out its deadline. It can also be unplugged, as a USB adapter can.
#include <optional>
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
    // Pulls the adapter out (the open line is lost) or puts it back (it can be reopened).
    void setUnplugged(bool unplugged);
    // Pulls the adapter out this long after the line is opened (nullopt: never).
    void setUnplugAfter(std::optional<std::int64_t> us) { unplugAfterUs_ = us; }
    // Whether opening asks the adapter for low latency, as the real line does (a benchmark
    // turns it off to show what it saves).
    void setAskLowLatency(bool ask) { askLowLatency_ = ask; }

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
    bool deviceLost() const override { return lost_; }
    std::string lossReason() const override { return lost_ ? "No such device: " + device_ : ""; }
    void reopen() override;

private:
    std::int64_t now();  // the clock's time, with the sensors brought up to it

    SimBus& bus_;
    Clock& clock_;
    std::set<std::string> unavailable_;
    std::string device_;
    std::string settings_;
    bool open_ = false;
    bool lost_ = false;
    bool unplugged_ = false;
    bool askLowLatency_ = true;
    std::optional<std::int64_t> unplugAfterUs_;
    std::int64_t openedAtUs_ = 0;
};

}  // namespace k7::sim
