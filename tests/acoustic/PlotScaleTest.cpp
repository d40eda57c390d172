// The plot's arithmetic: vertical range, threshold line, distance scale and tick labels.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "acoustic/PlotScale.h"
#include "settings/Units.h"

namespace k7 {
namespace {

std::vector<std::uint8_t> flat(int n, std::uint8_t level) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(n), level);
}

std::vector<std::string> shownLabels(const PlotScale& s) {
    std::vector<std::string> labels;
    for (const PlotTick& t : s.ticks) {
        if (t.shown) labels.push_back(t.label);
    }
    return labels;
}

TEST(PlotScale, VerticalRangeRunsFromTheLowestSampleLessTenToAbove255) {
    std::vector<std::uint8_t> samples = flat(320, 200);
    PlotScale s = computePlotScale(samples, 5, 293.15, kIn);
    EXPECT_EQ(s.base, 190);
    // 6 % of the 65 levels below 255 above it, so a peak at 255 stays clear of the frame.
    EXPECT_DOUBLE_EQ(s.top, 255 + 0.06 * 65);
    // 200 is 10 of the 65 levels above the bottom: the flat line lies low in the plot.
    const PlotArea a{0, 0, 637, 325};
    EXPECT_DOUBLE_EQ(pixelY(s, a, 200), (s.top - 200) / (s.top - 190) * 325);
    EXPECT_EQ(pixelRow(s, a, s.top), 0);
    EXPECT_EQ(pixelRow(s, a, 255), 18);
    EXPECT_EQ(pixelRow(s, a, s.base), 324);  // the bottom level on the last row inside
    EXPECT_EQ(amplitudeTicks(s), (std::vector<int>{200, 220, 240}));
    samples[17] = 0;
    s = computePlotScale(samples, 5, 293.15, kIn);
    EXPECT_EQ(s.base, -10);
    EXPECT_EQ(amplitudeTicks(s), (std::vector<int>{0, 50, 100, 150, 200, 250}));
    // A baseline drawn over the record widens the range to its own lowest sample.
    includeLevels(s, flat(320, 255));
    EXPECT_EQ(s.base, -10);
    s = computePlotScale(flat(320, 200), 5, 293.15, kIn);
    includeLevels(s, flat(320, 100));
    EXPECT_EQ(s.base, 90);
    EXPECT_DOUBLE_EQ(s.top, 255 + 0.06 * 165);
}

TEST(PlotScale, ThresholdLineFollowsTheCodeInCell30) {
    const std::vector<std::pair<int, double>> cases = {{3, 88},   {5, 103},  {8, 127}, {11, 151},
                                                       {14, 175}, {20, 103}, {0, 103}};
    for (auto [code, level] : cases) EXPECT_EQ(thresholdLevel(code), level) << code;
}

TEST(PlotScale, InchesAt20DegreesTickEvery30SamplesUpTo50Inches) {
    const PlotScale s = computePlotScale(flat(320, 20), 5, captureKelvin(20.0), kIn);
    EXPECT_NEAR(s.samplesPerUnit, 6.0, 0.01);
    EXPECT_EQ(s.axisCaption, "Inches");
    for (int i = 0; i <= 10; ++i) {
        const PlotTick& t = s.ticks[static_cast<std::size_t>(i)];
        EXPECT_TRUE(t.shown);
        EXPECT_EQ(t.x, 30 * i);
    }
    EXPECT_EQ(shownLabels(s), (std::vector<std::string>{" 0", " 5", " 10", " 15", " 20", " 25",
                                                        " 30", " 35", " 40", " 45", " 50"}));
}

TEST(PlotScale, ShortRecordsInTheOtherUnits) {
    const double k = captureKelvin(20.0);
    PlotScale s = computePlotScale(flat(320, 20), 5, k, kCm);
    EXPECT_EQ(s.axisCaption, "Centimeters");
    EXPECT_EQ(shownLabels(s).back(), " 130");  // every 10 cm, 23.6 samples apart
    s = computePlotScale(flat(320, 20), 5, k, kFt);
    EXPECT_EQ(shownLabels(s), (std::vector<std::string>{" 0", " .5", " 1", " 1.5", " 2", " 2.5",
                                                        " 3", " 3.5", " 4"}));
    s = computePlotScale(flat(320, 20), 5, k, kM);
    EXPECT_EQ(s.axisCaption, "Meters");
    EXPECT_EQ(shownLabels(s).size(), 14u);
    EXPECT_EQ(s.ticks[3].label, " .3");  // 3 × 0.1 in single precision
    EXPECT_EQ(s.ticks[13].label, " 1.3");
}

TEST(PlotScale, LongRecordsOfThe95kHzClassTickEvery50Cm20In1Ft05M) {
    const double k = captureKelvin(20.0);
    const std::vector<std::uint8_t> samples = flat(1600, 20);
    const std::vector<std::pair<int, double>> spacing = {{kCm, 50}, {kIn, 20}, {kFt, 1}, {kM, 0.5}};
    for (auto [unit, s] : spacing) {
        const PlotScale p = computePlotScale(samples, 5, k, unit);
        EXPECT_DOUBLE_EQ(p.tickSpacing, s) << unit;
        EXPECT_EQ(p.ticks[1].x, std::lround(s * p.samplesPerUnit)) << unit;
    }
    const PlotScale m = computePlotScale(samples, 5, k, kM);
    EXPECT_EQ(m.ticks[1].label, " .5");
    const PlotScale in = computePlotScale(samples, 5, k, kIn);
    EXPECT_NEAR(in.samplesPerUnit, 6.044, 0.001);
    EXPECT_EQ(shownLabels(in).back(), " 260");  // 13 × 121 samples; 14 lies past 1600
}

TEST(PlotScale, TemperatureOfTheScale) {
    EXPECT_DOUBLE_EQ(captureKelvin(std::nullopt), 293.15);  // nothing measured yet
    EXPECT_DOUBLE_EQ(captureKelvin(0.0), 273.15);
    EXPECT_DOUBLE_EQ(captureKelvin(74.5), 74.5 + 273.15);
    EXPECT_DOUBLE_EQ(captureKelvin(75.0), 293.15);
    EXPECT_DOUBLE_EQ(captureKelvin(-30.0), 293.15);
    EXPECT_DOUBLE_EQ(recallKelvin(std::nullopt), 293.15);  // an empty temperature line
    EXPECT_DOUBLE_EQ(recallKelvin(0.0), 273.15);
    EXPECT_DOUBLE_EQ(recallKelvin(-272.5), 293.15);
    EXPECT_DOUBLE_EQ(recallKelvin(100.0), 373.15);
    // Warmer air carries sound faster: fewer samples per inch.
    EXPECT_LT(samplesPerUnit(320, 313.15, kIn), samplesPerUnit(320, 273.15, kIn));
}

TEST(PlotScale, TickLabelsAreCentredUnderTheirTicksButNotOffTheLeftEdge) {
    const PlotScale s = computePlotScale(flat(320, 20), 5, 293.15, kIn);
    const PlotArea a{16, 1, 640, 316};
    EXPECT_EQ(tickLabelLeft(s, a, 160, 20), 16 + 320 - 10);
    EXPECT_EQ(tickLabelLeft(s, a, 0, 20), 6);
    EXPECT_EQ(tickLabelLeft(s, PlotArea{5, 1, 640, 316}, 0, 20), 1);
    EXPECT_EQ(pixelColumn(s, a, 320), 16 + 639);  // the last tick stays inside the area
}

}  // namespace
}  // namespace k7
