#pragma once
// Sound in air and the sensor's time bases.
#include <cstdint>

namespace k7::sim {

inline constexpr double kSoundCoefficient = 789.9147;  // inches per second per √kelvin
inline constexpr double kEchoTicksPerSecond = 5e6;     // echo timer: 0.2 µs ticks

double speedOfSound(double celsius);  // inches per second
double echoSeconds(double inches, double celsius);

// Duration of one acoustic record: 0.007886 s for 320 samples, 0.039146 s for 1600.
double recordSpanSeconds(int sampleCount);
// Position (0-based, fractional) in a record of the echo from a target at `inches`.
double sampleAtDistance(double inches, double celsius, int sampleCount);

// Temperature as the sensor sends it: (°C + 50) × 2, held to a byte.
std::uint8_t temperatureByte(double celsius);
// Distance as the sensor sends it: 1/128 inch; 0 and 1 are reserved for no echo and too close.
int distanceCount(double inches);

}  // namespace k7::sim
