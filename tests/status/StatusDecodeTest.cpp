#include <gtest/gtest.h>

#include <string>

#include "link/Commands.h"
#include "settings/ProgramState.h"
#include "sim/SimBus.h"
#include "sim/SimulatedLine.h"
#include "status/StatusDecode.h"

namespace k7 {
namespace {

class FakeUi : public LinkUi {
public:
    std::string addressedTagText() override { return "1"; }
};

struct Bench {
    explicit Bench(int type = 1) {
        line.open("SIM", kLineSettings);
        sim::SensorConfig c;
        c.tag = 1;
        c.type = type;
        sensor = &bus.addSensor(c);
        sensor->setTemperatureC(20.0);
        m.sensorType = type;
        screen.OutputSpan = 1;       // 4-20 mA
        screen.NoTargetCurrent = 1;  // 3.5 mA
        setSpan(10, 110);
    }
    void setSpan(double d4, double d20) {
        const std::pair<DistField, double> ends[] = {{DistField::Dist04, d4},
                                                     {DistField::Dist20, d20}};
        for (auto [field, inches] : ends) {
            DistanceFieldState& s = m.distField(field);
            s.stored = static_cast<std::int32_t>(inches * 128);
            makeDistanceFieldFromStored(s, m.formats);
        }
    }
    // One status exchange with the simulated sensor.
    StatusView poll() {
        m.link.sendRequest(cmd::Status);
        m.link.readReply();
        return decodeStatus(m, screen);
    }
    // A reply put straight into the link, as a good read leaves it.
    StatusView decode(int status, int d0, int d1, int d2) {
        const Frame f =
            makeReply(1, static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(d0),
                      static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d2));
        for (std::size_t i = 0; i < 6; ++i) m.link.lastReply[i] = f[i];
        m.link.replyWord34 = 256 * d0 + d1;
        m.link.replyWord45 = 256 * d1 + d2;
        m.link.replyOk = 1;
        return decodeStatus(m, screen);
    }
    StatusView at(double inches) {
        const int d = static_cast<int>(inches * 128);
        return decode(0, d >> 8, d & 0xFF, 140);
    }
    std::string currentAt(double inches) { return at(inches).CurrentOut.value_or("(none)"); }

    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    FakeUi ui;
    ProgramState m{line, clock, ui};
    ScreenValues screen;
    sim::SimSensor* sensor = nullptr;
};

TEST(StatusDecode, LiveDistanceFromTheSensor) {
    Bench b;
    b.sensor->setTargetInches(60);
    StatusView v = b.poll();
    ASSERT_EQ(v.kind, StatusView::Kind::Normal);
    EXPECT_EQ(v.AvgDist, "60.00");
    EXPECT_EQ(v.CurrentOut, "12.00");
    EXPECT_EQ(b.m.lastAvgDistanceStored, 7680);
    EXPECT_DOUBLE_EQ(b.m.lastAvgDistanceInches, 60);

    b.m.distanceUnit = kCm;
    EXPECT_EQ(b.poll().AvgDist, "152.4");

    // Too close: the output keeps following the last distance seen.
    b.sensor->setTargetInches(6);
    v = b.poll();
    EXPECT_EQ(v.AvgDist, "(close)");
    EXPECT_EQ(v.CurrentOut, "12.00");
    EXPECT_EQ(b.m.lastAvgDistanceStored, 7680);

    // Nothing there: the selected no-target current.
    b.sensor->removeTarget();
    v = b.poll();
    EXPECT_EQ(v.AvgDist, "(no echo)");
    EXPECT_EQ(v.CurrentOut, "3.50");
    b.screen.NoTargetCurrent = 4;
    EXPECT_EQ(b.poll().CurrentOut, "20.50");
}

TEST(StatusDecode, ReservedDistanceCodes) {
    Bench b;
    b.at(60);
    StatusView v = b.decode(0, 0, 0, 140);
    EXPECT_EQ(v.AvgDist, "(no echo)");
    EXPECT_EQ(v.CurrentOut, "3.50");
    v = b.decode(0, 0, 1, 140);
    EXPECT_EQ(v.AvgDist, "(close)");
    EXPECT_EQ(v.CurrentOut, "12.00");
    EXPECT_DOUBLE_EQ(b.m.lastAvgDistanceInches, 60);
    EXPECT_EQ(b.decode(0, 0, 2, 140).AvgDist, "0.02");  // the smallest real distance
}

TEST(StatusDecode, OutputCurrentFollowsTheSpan) {
    Bench b;
    EXPECT_EQ(b.currentAt(60), "12.00");
    EXPECT_EQ(b.currentAt(8.5), "3.80");
    EXPECT_EQ(b.currentAt(111.5), "20.20");
    EXPECT_EQ(b.currentAt(10.5), "4.08");
    EXPECT_EQ(b.currentAt(9.5), "3.92");  // just outside the span: still linear

    b.screen.OutputSpan = 0;  // 0-20 mA
    EXPECT_EQ(b.currentAt(60), "10.00");
    EXPECT_EQ(b.currentAt(9.5), "0.00");  // linear value below 0 raised to 0
    EXPECT_EQ(b.currentAt(5), "0.00");

    b.screen.OutputSpan = 1;
    b.setSpan(10, 12);  // a short span: the linear value is capped
    EXPECT_EQ(b.currentAt(12.75), "20.20");
}

TEST(StatusDecode, ReversedSpanRunsTheOtherWay) {
    Bench b;
    b.setSpan(110, 10);
    EXPECT_EQ(b.currentAt(120), "3.80");
    EXPECT_EQ(b.currentAt(5), "20.20");
    EXPECT_EQ(b.currentAt(60), "12.00");
    b.screen.OutputSpan = 0;
    EXPECT_EQ(b.currentAt(120), "0.00");
}

TEST(StatusDecode, EqualSpanDistancesGiveAStepNotADivisionByZero) {
    Bench b;
    b.setSpan(50, 50);
    EXPECT_EQ(b.currentAt(40), "20.20");
    EXPECT_EQ(b.currentAt(49.5), "20.20");
    EXPECT_EQ(b.currentAt(50), "4.00");
    EXPECT_EQ(b.currentAt(50.5), "3.80");
    EXPECT_EQ(b.currentAt(60), "3.80");
    b.screen.OutputSpan = 0;
    EXPECT_EQ(b.currentAt(50), "0.00");
}

TEST(StatusDecode, CurrentIsLeftAloneWhenItCannotBeKnown) {
    Bench b;
    b.m.link.slowSensor = true;  // the G615 has no current loop
    StatusView v = b.at(60);
    EXPECT_EQ(v.AvgDist, "60.00");
    EXPECT_FALSE(v.CurrentOut.has_value());

    b.m.link.slowSensor = false;
    b.screen.NoTargetCurrent = -1;  // nothing selected
    EXPECT_FALSE(b.decode(0, 0, 0, 140).CurrentOut.has_value());
    EXPECT_EQ(b.currentAt(60), "12.00");
}

TEST(StatusDecode, StatusBitsGiveStrengthAndOutputs) {
    Bench b;
    StatusView v = b.decode(0x4E, 0x1E, 0, 140);
    EXPECT_EQ(v.TargetStrength, "100");
    EXPECT_EQ(v.TargOut, "ON");
    EXPECT_EQ(v.MinOut, "ON");
    EXPECT_EQ(v.MaxOut, "ON");

    v = b.decode(0x32, 0x1E, 0, 140);
    EXPECT_EQ(v.TargetStrength, "75");
    EXPECT_EQ(v.TargOut, "OFF");
    EXPECT_EQ(v.MinOut, "OFF");
    EXPECT_EQ(v.MaxOut, "ON");

    v = b.decode(0x0D, 0x1E, 0, 140);  // bit 0 means nothing
    EXPECT_EQ(v.TargetStrength, "0");
    EXPECT_EQ(v.TargOut, "ON");
    EXPECT_EQ(v.MinOut, "ON");
    EXPECT_EQ(v.MaxOut, "OFF");
    EXPECT_EQ(b.decode(0x10, 0x1E, 0, 140).TargetStrength, "25");
    EXPECT_EQ(b.decode(0x20, 0x1E, 0, 140).TargetStrength, "50");
}

TEST(StatusDecode, MeasuredTemperature) {
    Bench b;
    EXPECT_FALSE(b.m.temperatureReceived);
    b.sensor->setTemperatureC(-5);
    b.sensor->setTargetInches(60);
    b.poll();
    EXPECT_DOUBLE_EQ(b.m.measuredTemperatureC, -5.0);
    EXPECT_DOUBLE_EQ(b.m.measuredTemperatureF, 23.0);
    EXPECT_TRUE(b.m.temperatureReceived);

    b.decode(0, 0, 0, 255);
    EXPECT_DOUBLE_EQ(b.m.measuredTemperatureC, 77.5);
    b.decode(0, 0, 0, 0);
    EXPECT_DOUBLE_EQ(b.m.measuredTemperatureC, -50);
}

TEST(StatusDecode, OtherStatusBytesChangeNothing) {
    Bench b;
    b.at(60);
    b.m.temperatureReceived = false;
    for (int status : {80, 95, 111, 128, 200, 240, 255}) {
        SCOPED_TRACE(status);
        const StatusView v = b.decode(status, 0x1E, 0, 20);
        EXPECT_EQ(v.kind, StatusView::Kind::Ignored);
        EXPECT_EQ(v.AvgDist, "");
        EXPECT_FALSE(v.CurrentOut.has_value());
        EXPECT_FALSE(v.TargetStrength.has_value());
        EXPECT_FALSE(b.m.temperatureReceived);
        EXPECT_DOUBLE_EQ(b.m.lastAvgDistanceInches, 60);
    }
    // Nor does a read that gave up.
    b.at(100);
    b.m.link.replyOk = 0;
    EXPECT_EQ(decodeStatus(b.m, b.screen).kind, StatusView::Kind::Ignored);
    EXPECT_DOUBLE_EQ(b.m.lastAvgDistanceInches, 100);
    b.m.temperatureReceived = false;
    b.decode(200, 0x1E, 0, 20);
    EXPECT_FALSE(b.m.temperatureReceived);
    EXPECT_DOUBLE_EQ(b.m.lastAvgDistanceInches, 100);
}

TEST(StatusDecode, FaultReportListsEachFaultOnce) {
    Bench b;
    StatusView v = b.decode(0x70, 0, 0x18, 140);
    ASSERT_EQ(v.kind, StatusView::Kind::Fault);
    EXPECT_EQ(v.faultText, "Signal Fault");
    EXPECT_FALSE(b.m.temperatureReceived);  // a fault report carries no readings

    // Any status with the high nibble 7 is a fault report; data byte 0 is not the fault byte.
    v = b.decode(0x7F, 0xFF, 0x81, 0xFF);
    ASSERT_EQ(v.kind, StatusView::Kind::Fault);
    EXPECT_EQ(v.faultText, "Brown-out Occurred\nUnable to program K-7700");
}

TEST(StatusDecode, FaultTextsDependOnTheSensorType) {
    EXPECT_EQ(faultReportText(0xFF, 0),
              "Brown-out Occurred\nWatchdog Reset Occurred\nTemperature Probe Fault\n"
              "Signal Fault\nPeak Detector Fault\nK-7700 Setting replaced with default\n"
              "Unable to program K-7700");
    EXPECT_EQ(faultReportText(0x24, 3), "Transponder Fault\nPeak Detector Fault");
    EXPECT_EQ(faultReportText(0x24, 4), "Forward Transponder Fault\nBack Transponder Fault");
    EXPECT_EQ(faultReportText(0x24, 7), "Temperature Probe Fault\nPeak Detector Fault");
    EXPECT_EQ(faultReportText(0x08, 0), "Signal Fault");
    EXPECT_EQ(faultReportText(0x10, 3), "Signal Fault");
    EXPECT_EQ(faultReportText(0x42, 1),
              "Watchdog Reset Occurred\nK-7700 Setting replaced with default");
    EXPECT_EQ(faultReportText(0, 0), "");
}

TEST(StatusDecode, InjectedFaultsComeBackAsAReport) {
    Bench b(3);
    b.sensor->setFaultBits(0x38);
    StatusView v = b.poll();
    ASSERT_EQ(v.kind, StatusView::Kind::Fault);
    EXPECT_EQ(v.faultText, "Transponder Fault\nSignal Fault");

    b.m.link.sendRequest(cmd::ResetFaults);
    b.sensor->setTargetInches(30);
    EXPECT_EQ(b.poll().AvgDist, "30.00");
}

}  // namespace
}  // namespace k7
