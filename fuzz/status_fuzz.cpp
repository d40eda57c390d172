// Status decoding of any reply bytes, for every sensor type and unit: no crash, and what it
// shows is one of the texts the screen knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "NoLink.h"
#include "link/Clock.h"
#include "settings/Module2.h"
#include "status/StatusDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    k7::VirtualClock clock;
    k7::fuzz::NoLine line;
    k7::fuzz::NoUi ui;
    k7::Module2 m(line, clock, ui);
    m.SensorType = data[0] % 9;
    m.DistanceUnit = data[1] % 4;
    m.TemperatureUnit = data[2] % 2;
    m.link.SlowSensor = data[3] & 1;
    m.link.CommOK = 1;
    for (std::size_t i = 0; i < 6; ++i) m.link.CommBlockIn[i] = data[4 + i];
    m.link.ReplyWord34 = 256 * data[6] + data[7];
    m.link.ReplyWord45 = 256 * data[7] + data[8];
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
