#include "setupfile/SetupScreen.h"

#include "common/NumberFormat.h"

namespace k7 {

SetupValues setupValuesFrom(const Module2& m, const ScreenValues& screen) {
    SetupValues v;
    for (std::size_t i = 0; i < v.stored.size(); ++i) v.stored[i] = m.dist[i].Stored;
    v.hasUserMaxRange = isMaxRangeModel(m.SensorType);
    v.OutputSpan = screen.OutputSpan;
    v.NoTargetCurrent = screen.NoTargetCurrent;
    v.cbMidMinLL = screen.cbMidMinLL;
    v.cbMidMaxLL = screen.cbMidMaxLL;
    v.TriggerMode = screen.TriggerMode;
    v.AverageType = screen.AverageType;
    v.AverageSamples = screen.AverageSamples;
    v.CloseMinLL = screen.CloseMinLL;
    v.FarMinLL = screen.FarMinLL;
    v.NoEchoMinLL = screen.NoEchoMinLL;
    v.CloseMaxLL = screen.CloseMaxLL;
    v.FarMaxLL = screen.FarMaxLL;
    v.NoEchoMaxLL = screen.NoEchoMaxLL;
    v.TargLL = screen.TargLL;
    v.Hysteresis1 = screen.Hysteresis1;
    v.SampleRate1 = screen.SampleRate1;
    v.TriggerDelay = screen.TriggerDelay;
    v.NoEchoTimeout = screen.NoEchoTimeout;
    v.UserDescription = screen.UserDescription;
    v.TemperatureCompensation = m.TemperatureCompensation;
    v.PresetTemperatureC = m.PresetTemperatureC;
    return v;
}

void applySetup(Module2& m, ScreenValues& screen, const SetupValues& v) {
    const std::size_t distances = v.hasUserMaxRange ? 5 : 4;
    for (std::size_t i = 0; i < distances; ++i) {
        DistanceFieldState& s = m.dist[i];
        s.Stored = v.stored[i];
        MakeDistArrayFromK7K(s, m.formats);
        s.Changed = false;
        screen.DistText[i] = s.UnitText[static_cast<std::size_t>(m.DistanceUnit)];
    }
    screen.OutputSpan = v.OutputSpan;
    screen.NoTargetCurrent = v.NoTargetCurrent;
    screen.cbMidMinLL = v.cbMidMinLL;
    screen.cbMidMaxLL = v.cbMidMaxLL;
    if (m.SensorType != 5) screen.TriggerMode = v.TriggerMode;
    screen.AverageType = v.AverageType;
    screen.AverageSamples = v.AverageSamples;
    screen.CloseMinLL = v.CloseMinLL;
    screen.FarMinLL = v.FarMinLL;
    screen.NoEchoMinLL = v.NoEchoMinLL;
    screen.CloseMaxLL = v.CloseMaxLL;
    screen.FarMaxLL = v.FarMaxLL;
    screen.NoEchoMaxLL = v.NoEchoMaxLL;
    screen.TargLL = v.TargLL;
    screen.Hysteresis1 = v.Hysteresis1;
    screen.SampleRate1 = v.SampleRate1;
    screen.TriggerDelay = v.TriggerDelay;
    screen.NoEchoTimeout = v.NoEchoTimeout;
    screen.UserDescription = v.UserDescription;

    m.TemperatureCompensation = v.TemperatureCompensation != 0 ? 1 : 0;
    m.PresetTemperatureC = roundPresetTemperatureC(v.PresetTemperatureC);
    m.PresetTemperatureF = celsiusToFahrenheit(m.PresetTemperatureC);
    screen.ManualTemperature = formatNumber(
        m.TemperatureUnit == kFahrenheit ? m.PresetTemperatureF : m.PresetTemperatureC, "##0.0");
    if (v.hasUserMaxRange && isMaxRangeModel(m.SensorType)) {
        m.limits = limitsFor(m.SensorType, m.link.SensorClass,
                             m.distField(DistField::UserMaxRange).Inches);
    }
}

}  // namespace k7
