#include "sim/SimulatedLine.h"

#include <algorithm>

namespace k7::sim {

void SimulatedLine::open(const std::string& device, const std::string& settings) {
    close();
    parseLineSettings(settings);
    if (unavailable_.count(device) || unplugged_) {
        throw LineError("No such file or directory: " + device);
    }
    device_ = device;
    settings_ = settings;
    open_ = true;
    lost_ = false;
    openedAtUs_ = clock_.nowUs();
    // A USB adapter's driver passes bytes on at once when asked (about a 1 ms timer).
    if (askLowLatency_ && bus_.adapterLatencyUs() > 1000) bus_.setAdapterLatencyUs(1000);
    bus_.discard(clock_.nowUs());  // nothing from before the open is seen
}

void SimulatedLine::setUnplugged(bool unplugged) {
    unplugged_ = unplugged;
    if (unplugged && open_) {
        open_ = false;
        lost_ = true;
    }
}

void SimulatedLine::reopen() {
    open(device_, settings_);
}

std::int64_t SimulatedLine::now() {
    const std::int64_t t = clock_.nowUs();
    if (unplugAfterUs_ && t >= openedAtUs_ + *unplugAfterUs_) {
        unplugAfterUs_.reset();
        setUnplugged(true);
    }
    bus_.settle(t);
    return t;
}

int SimulatedLine::bytesWaiting() {
    return open_ ? bus_.available(now()) : 0;
}

void SimulatedLine::discardInput() {
    if (open_) bus_.discard(now());
}

void SimulatedLine::write(std::span<const std::uint8_t> bytes) {
    const std::int64_t t = now();
    if (open_) bus_.receive(bytes, t);
}

std::optional<std::uint8_t> SimulatedLine::readByte() {
    if (!open_) return std::nullopt;
    return bus_.take(now());
}

bool SimulatedLine::waitForBytes(int count, std::int64_t deadlineUs) {
    if (!open_) {
        clock_.sleepUntil(deadlineUs);
        return false;
    }
    const std::optional<std::int64_t> when = bus_.timeWhenAvailable(count, clock_.nowUs());
    const std::int64_t wake = when ? std::min(*when, deadlineUs) : deadlineUs;
    // A real clock may wake a little early; sleep again rather than report a time-out.
    while (clock_.nowUs() < wake) clock_.sleepUntil(wake);
    return bus_.available(now()) >= count;
}

}  // namespace k7::sim
