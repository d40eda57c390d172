#pragma once
// The arithmetic of the acoustic plot: its vertical range, the threshold line, the distance
// scale from the speed of sound, the 26 distance ticks with their labels and the amplitude
// axis; and where each of them lands in a plot area of any pixel size. The plot widget only
// paints what this says; the echo analysis measures on the same scale.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k7 {

inline constexpr int kTickCount = 26;
inline constexpr double kTopLevel = 255;

struct PlotTick {
    bool shown = false;
    int x = 0;          // sample position of the tick
    std::string label;  // " 5", " .5"
};

struct PlotScale {
    int sampleCount = 0;     // N: the horizontal axis runs 0..N
    double base = 0;         // the bottom of the vertical axis: the lowest sample - 10
    double top = kTopLevel;  // 255 and room above it, so a peak at 255 stays in sight
    int unit = 1;            // the display unit of the distances
    double thresholdLevel = 0;
    double samplesPerUnit = 0;  // p
    double tickSpacing = 0;     // s, display units
    std::string axisCaption;    // "Centimeters", "Inches", "Feet", "Meters"
    std::array<PlotTick, kTickCount> ticks{};
};

// Level of the threshold line for the code in EEPROM cell 30 (103 for unknown codes).
double thresholdLevel(int code);

// Kelvin for the distance scale of a captured record: the measured temperature when one was
// measured and it lies within -30..75 °C (exclusive), 293.15 otherwise.
double captureKelvin(std::optional<double> measuredC);
// Kelvin for a recalled record: its temperature + 273.15, or 293.15 when that is below 1 or
// the file left the temperature empty.
double recallKelvin(std::optional<double> fileC);

// Speed of sound at `kelvin` in display units per second.
double speedOfSound(double kelvin, int unit);
// Samples per display unit for a record of `sampleCount` samples.
double samplesPerUnit(int sampleCount, double kelvin, int unit);
// " 5", " .5", " 12.5": the shortest single-precision form after one blank, no leading zero.
std::string tickLabel(float value);

PlotScale computePlotScale(std::span<const std::uint8_t> samples, int thresholdCode, double kelvin,
                           int unit);
// Lowers the bottom of the vertical axis, when it must, to show `more` samples too (a baseline
// drawn over the record).
void includeLevels(PlotScale& s, std::span<const std::uint8_t> more);
// The levels of the amplitude axis' labels: multiples of a round step within base..255.
std::vector<int> amplitudeTicks(const PlotScale& s);

// A plot area in pixels, within a surface whose own origin is (0, 0).
struct PlotArea {
    double left = 0, top = 0, width = 0, height = 0;
};

double pixelX(const PlotScale& s, const PlotArea& a, double x);
double pixelY(const PlotScale& s, const PlotArea& a, double level);
// The pixel row of a horizontal line at `level` and the column of a vertical line at x.
int pixelRow(const PlotScale& s, const PlotArea& a, double level);
int pixelColumn(const PlotScale& s, const PlotArea& a, double x);
// Left edge of a tick label of `labelWidth` pixels centred under its tick, at least 1.
int tickLabelLeft(const PlotScale& s, const PlotArea& a, int tickX, int labelWidth);
// A tick runs from the bottom up by 3 % of the vertical range below 255.
double tickTopLevel(const PlotScale& s);

}  // namespace k7
