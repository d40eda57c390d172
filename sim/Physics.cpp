#include "sim/Physics.h"

#include <algorithm>
#include <cmath>

namespace k7::sim {

double speedOfSound(double celsius) {
    return kSoundCoefficient * std::sqrt(celsius + 273.15);
}

double echoSeconds(double inches, double celsius) {
    return 2 * inches / speedOfSound(celsius);
}

double recordSpanSeconds(int sampleCount) {
    return sampleCount > 320 ? 0.039146 : 0.007886;
}

double sampleAtDistance(double inches, double celsius, int sampleCount) {
    return echoSeconds(inches, celsius) / recordSpanSeconds(sampleCount) * sampleCount;
}

std::uint8_t temperatureByte(double celsius) {
    return static_cast<std::uint8_t>(std::clamp(std::lround((celsius + 50) * 2), 0L, 255L));
}

int distanceCount(double inches) {
    return static_cast<int>(std::clamp(std::lround(inches * 128), 2L, 65535L));
}

}  // namespace k7::sim
