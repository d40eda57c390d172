// Status decoding of any reply bytes, for every sensor type and unit: no crash, and what it
// shows is one of the texts the screen knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "NoLink.h"
#include "link/Clock.h"
#include "settings/ProgramState.h"
#include "status/StatusDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    k7::VirtualClock clock;
    k7::fuzz::NoLine line;
    k7::fuzz::NoUi ui;
    k7::ProgramState m(line, clock, ui);
    m.sensorType = data[0] % 9;
    m.distanceUnit = data[1] % 4;
    m.temperatureUnit = data[2] % 2;
    m.link.slowSensor = data[3] & 1;
    m.link.replyOk = 1;
    for (std::size_t i = 0; i < 6; ++i) m.link.lastReply[i] = data[4 + i];
    m.link.replyWord34 = 256 * data[6] + data[7];
    m.link.replyWord45 = 256 * data[7] + data[8];
    k7::ScreenValues screen;
    screen.OutputSpan = static_cast<int>(data[3] >> 1) % 3 - 1;
    screen.NoTargetCurrent = static_cast<int>(data[3] >> 3) % 6 - 1;
    const k7::StatusView v = k7::decodeStatus(m, screen);
    if (v.kind == k7::StatusView::Kind::Normal) {
        if (v.TargOut != "ON" && v.TargOut != "OFF") std::abort();
        if (v.AvgDist.empty()) std::abort();
    }
    if (v.kind == k7::StatusView::Kind::Fault && v.faultText.empty() && data[7] != 0) std::abort();
    return 0;
}
