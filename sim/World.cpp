#include "sim/World.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace k7::sim {

World::World(double minInches, double maxInches, double phase)
    : minInches_(minInches), maxInches_(maxInches), phase_(phase) {}

std::optional<double> World::targetInches(std::int64_t nowUs) const {
    if (removed_) return std::nullopt;
    if (pinnedTarget_) return pinnedTarget_;
    const double seconds = static_cast<double>(nowUs) / 1e6;
    const double mid = (minInches_ + maxInches_) / 2;
    // 15 % past either end of the range at the extremes of the sweep.
    const double amplitude = 1.15 * (maxInches_ - minInches_) / 2;
    const double x =
        mid + amplitude * std::sin(2 * std::numbers::pi * seconds / kSweepSeconds + phase_);
    return std::max(x, 0.5);
}

double World::airCelsius(std::int64_t nowUs) const {
    if (pinnedCelsius_) return *pinnedCelsius_;
    const double seconds = static_cast<double>(nowUs) / 1e6;
    return 21 + 0.8 * std::sin(2 * std::numbers::pi * seconds / 600 + phase_);
}

void World::pinTarget(std::optional<double> inches) {
    removed_ = false;
    pinnedTarget_ = inches;
}

void World::removeTarget() {
    removed_ = true;
    pinnedTarget_.reset();
}

void World::pinTemperature(std::optional<double> celsius) {
    pinnedCelsius_ = celsius;
}

}  // namespace k7::sim
