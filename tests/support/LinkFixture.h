#pragma once
// A link on a simulated line with a virtual clock and the fake window hooks.
#include <gtest/gtest.h>

#include <cstdlib>

#include "link/Clock.h"
#include "link/Link.h"
#include "link/SerialLine.h"
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedLine.h"
#include "support/FakeLinkUi.h"

namespace k7::test {

class LinkFixture : public ::testing::Test {
protected:
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    FakeLinkUi ui;
    Link link{line, clock, ui};

    // With K7_LINE_ECHO set, the line's adapter echoes every request: the same tests must
    // pass on such a line (the suite runs them both ways).
    void SetUp() override {
        bus.setEcho(std::getenv("K7_LINE_ECHO") != nullptr);
        line.open("SIM", kLineSettings);
    }

    sim::SimSensor& addSensor(int tag, int type = 0, int firmware = 25) {
        sim::SensorConfig c;
        c.tag = tag;
        c.type = type;
        c.firmware = firmware;
        return bus.addSensor(c);
    }
    // Faults for the sensor at `index`, written as the simulator's rules ("drop=1,refuse=90").
    void setFaults(std::size_t index, const std::string& rules, std::uint32_t seed = 7) {
        sim::FaultConfig f;
        std::size_t start = 0;
        while (start <= rules.size()) {
            std::size_t comma = rules.find(',', start);
            std::string one =
                rules.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            auto err = sim::applyFault(one, f);
            EXPECT_FALSE(err) << *err;
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        bus.setFaults(index, f, seed);
    }
    int frames(int command) const { return bus.countReceived(command); }
};

}  // namespace k7::test
