#pragma once
// A host on a simulated line with a virtual clock: requests go out, and whatever arrives
// within the host's reply time-out comes back.
#include <cstdint>
#include <vector>

#include "link/Clock.h"
#include "link/Frame.h"
#include "sim/SimBus.h"
#include "sim/SimulatedLine.h"

namespace k7::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const Frame& f) {
    return Bytes(f.begin(), f.end());
}

inline Bytes reply(int tag, int status, int d0, int d1, int d2) {
    return bytesOf(makeReply(static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(status),
                             static_cast<std::uint8_t>(d0), static_cast<std::uint8_t>(d1),
                             static_cast<std::uint8_t>(d2)));
}

inline Frame request(int tag, int command, int d1 = 0, int d2 = 0) {
    return makeRequest(static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(command),
                       static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d2));
}

struct SimHarness {
    static constexpr std::int64_t kReplyWindowUs = 75'000;

    VirtualClock clock;
    SimBus bus;
    SimulatedLine line{bus, clock};

    SimHarness() { line.open("SIM", "19200,n,8,1"); }

    // Writes raw bytes, waits `windowUs` and returns everything that arrived.
    Bytes exchangeRaw(const Bytes& out, std::int64_t windowUs = kReplyWindowUs) {
        line.discardInput();
        line.write(out);
        clock.sleepFor(windowUs);
        Bytes in;
        while (auto b = line.readByte()) in.push_back(*b);
        return in;
    }
    Bytes exchange(const Frame& f, std::int64_t windowUs = kReplyWindowUs) {
        return exchangeRaw(bytesOf(f), windowUs);
    }
    // The EEPROM cell as a read request sees it.
    int readCell(int tag, int address) {
        const Bytes r = exchange(request(tag, 104, address));
        return r.size() == 6 ? r[3] : -1;
    }
};

}  // namespace k7::sim::test
