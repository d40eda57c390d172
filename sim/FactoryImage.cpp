#include "sim/FactoryImage.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sim/SensorTypes.h"

namespace k7::sim {
namespace {

int stored(double inches) {
    return static_cast<int>(inches * 128 + 0.5);
}

// Round half to even, as the host's restore does.
double roundEven(double x) {
    return std::nearbyint(x);
}

int scaledPoint(int w, int numerator, int denominator) {
    const std::int32_t product = w * numerator;
    const int p = static_cast<int>(roundEven(roundEven(product / double(denominator) + 128) / 256));
    return std::min(p, 4095);
}

// Ring times in 0.8 µs ticks. Row 4 shares cell 30 with the threshold code, so its low byte
// is the factory code 5 (0x0F05 = 3845).
constexpr std::array<int, 14> kRingTicks{1250, 2100, 1875, 1400, 3845, 2600, 1500,
                                         2250, 2750, 3100, 1650, 2900, 1000, 4200};

}  // namespace

int ringTimeCell(int row) {
    return row < 12 ? 21 + 2 * row : 2 * row - 8;
}

CurrentLoopPoints currentLoopPoints(int w) {
    return {scaledPoint(w, 1792, 40), scaledPoint(w, 256, 5), w, scaledPoint(w, 10496, 40)};
}

Eeprom factoryImage(int type, int tag, std::uint32_t serial) {
    const TypeProfile& p = typeProfile(type);
    Eeprom e{};
    auto set = [&e](int address, int value) {
        e[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
    };

    set(cell::Serial, (serial >> 16) & 0xFF);
    set(cell::Serial + 1, (serial >> 8) & 0xFF);
    set(cell::Serial + 2, serial & 0xFF);
    set(cell::ErrorEnables, 0xFF);
    setEepromWord(e, cell::DistanceCal, kFactoryDistanceCal);
    setEepromWord(e, cell::Reference20mA, kFactoryReference20mA);
    set(cell::TemperatureCal, kFactoryTemperatureCal);
    set(cell::GainSwitchDelay, 7);
    set(cell::CloseTargetDelay, 20);
    set(cell::Lockout, 4);
    set(cell::UserTemperatureCal, 0);
    if (type == 4) {
        for (int row = 0; row < 14; ++row) {
            setEepromWord(e, ringTimeCell(row), kRingTicks[static_cast<std::size_t>(row)]);
        }
    }
    set(cell::Threshold, kFactoryThresholdCode);

    set(cell::Tag, tag);
    for (int i = 0; i < cell::DescriptionLength; ++i) set(cell::Description + i, ' ');
    set(cell::OutputSpan, 1);  // 4-20 mA
    setEepromWord(e, cell::Dist04, stored(p.dist04));
    setEepromWord(e, cell::Dist20, stored(p.dist20));
    set(cell::NoTargetCurrent, 1);  // 3.5 mA
    setEepromWord(e, cell::CloseSetpoint, stored(p.closeSetpoint));
    setEepromWord(e, cell::FarSetpoint, stored(p.farSetpoint));
    set(cell::LevelsA, 0x08);  // output A: close zone
    set(cell::LevelsB, 0x03);  // output B: far zone and no echo
    set(cell::Hysteresis, 5);
    set(cell::TargetIndication, 0);
    set(cell::AverageSamples, 3);  // 8 samples
    set(cell::AverageType, 0);     // rolling
    set(cell::NoEchoTimeout, 10);
    set(cell::TriggerMode, 0);  // internal
    set(cell::TriggerDelay, 0);
    set(cell::TemperatureCompensation, 0);  // automatic
    set(cell::PresetTemperature, 140);      // 20 °C
    set(cell::MidZoneHold, 0);
    setEepromWord(e, cell::UserMaxRange, stored(p.userMaxRange));
    setEepromWord(e, cell::SampleRate, 100);  // 10 per second, within every type's limit

    const CurrentLoopPoints points = currentLoopPoints(kFactoryReference20mA);
    setEepromWord(e, cell::CalPoint1, points.p35);
    setEepromWord(e, cell::CalPoint2, points.p40);
    setEepromWord(e, cell::CalPoint3, points.p200);
    setEepromWord(e, cell::CalPoint4, points.p205);
    return e;
}

}  // namespace k7::sim
