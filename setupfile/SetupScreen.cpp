#include "setupfile/SetupScreen.h"

#include "common/NumberFormat.h"

namespace k7 {

SetupValues setupValuesFrom(const ProgramState& m, const ScreenValues& screen) {
    SetupValues v;
    for (std::size_t i = 0; i < v.stored.size(); ++i) v.stored[i] = m.dist[i].stored;
    v.hasUserMaxRange = isMaxRangeModel(m.sensorType);
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
    v.temperatureCompensation = m.temperatureCompensation;
    v.presetTemperatureC = m.presetTemperatureC;
    return v;
}

void applySetup(ProgramState& m, ScreenValues& screen, const SetupValues& v) {
    const std::size_t distances = v.hasUserMaxRange ? 5 : 4;
    for (std::size_t i = 0; i < distances; ++i) {
        DistanceFieldState& s = m.dist[i];
        s.stored = v.stored[i];
        makeDistanceFieldFromStored(s, m.formats);
        s.changed = false;
        screen.DistText[i] = s.unitText[static_cast<std::size_t>(m.distanceUnit)];
    }
    screen.OutputSpan = v.OutputSpan;
    screen.NoTargetCurrent = v.NoTargetCurrent;
    screen.cbMidMinLL = v.cbMidMinLL;
    screen.cbMidMaxLL = v.cbMidMaxLL;
    if (m.sensorType != 5) screen.TriggerMode = v.TriggerMode;
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

    m.temperatureCompensation = v.temperatureCompensation != 0 ? 1 : 0;
    m.presetTemperatureC = roundPresetTemperatureC(v.presetTemperatureC);
    m.presetTemperatureF = celsiusToFahrenheit(m.presetTemperatureC);
    screen.ManualTemperature = formatNumber(
        m.temperatureUnit == kFahrenheit ? m.presetTemperatureF : m.presetTemperatureC, "##0.0");
    if (v.hasUserMaxRange && isMaxRangeModel(m.sensorType)) {
        m.limits = limitsFor(m.sensorType, m.link.sensorClass,
                             m.distField(DistField::UserMaxRange).inches);
    }
}

}  // namespace k7
