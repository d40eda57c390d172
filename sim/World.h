#pragma once
// What is in front of one sensor: a target and the air. By default the target sweeps slowly
// across the sensor's range and a little beyond both ends (so "close" and "no echo" show up
// now and then) and the air drifts around 21 °C. Tests pin either.
#include <cstdint>
#include <optional>

namespace k7::sim {

class World {
public:
    // `phase` (radians) keeps several sensors on one line from moving in step.
    World(double minInches, double maxInches, double phase);

    // Distance to the target; nullopt when nothing reflects.
    std::optional<double> targetInches(std::int64_t nowUs) const;
    double airCelsius(std::int64_t nowUs) const;

    void pinTarget(std::optional<double> inches);  // nullopt: back to the moving target
    void removeTarget();                           // nothing reflects until pinned again
    void pinTemperature(std::optional<double> celsius);

    static constexpr double kSweepSeconds = 20;

private:
    double minInches_;
    double maxInches_;
    double phase_;
    bool removed_ = false;
    std::optional<double> pinnedTarget_;
    std::optional<double> pinnedCelsius_;
};

}  // namespace k7::sim
