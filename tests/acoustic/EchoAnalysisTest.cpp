// The echo analysis on the simulator's records, where the simulator says the echoes are; and
// today's record beside a baseline that differs from it in one known way.
#include <gtest/gtest.h>

#include <algorithm>

#include "acoustic/EchoAnalysis.h"
#include "acoustic/EchoComparison.h"
#include "settings/Units.h"
#include "sim/AcousticRecord.h"
#include "sim/Physics.h"

namespace k7 {
namespace {

constexpr double kCelsius = 20;

struct Analysed {
    std::vector<std::uint8_t> samples;
    EchoAnalysis a;
};

Analysed analyse(const sim::AcousticScene& scene, int unit = kIn, int thresholdCode = 5) {
    Analysed r{sim::acousticRecord(scene), {}};
    r.a = analyzeEcho(r.samples,
                      computePlotScale(r.samples, thresholdCode, captureKelvin(kCelsius), unit));
    return r;
}

sim::AcousticScene scene(int n, std::optional<double> target, bool highGain = false) {
    sim::AcousticScene s;
    s.sampleCount = n;
    s.targetInches = target;
    s.celsius = kCelsius;
    s.highGain = highGain;
    return s;
}

TEST(EchoAnalysis, FindsTheTargetWithinOneSampleInEveryUnitBothLengthsAndGains) {
    for (int n : {320, 1600}) {
        const double inches = n == 320 ? 30 : 150;
        const double expected = sim::sampleAtDistance(inches, kCelsius, n);
        for (bool high : {false, true}) {
            for (int unit : {kCm, kIn, kFt, kM}) {
                SCOPED_TRACE(::testing::Message()
                             << n << " samples, unit " << unit << ", high " << high);
                const Analysed r = analyse(scene(n, inches, high), unit);
                ASSERT_EQ(r.a.verdict, EchoVerdict::Target);
                ASSERT_EQ(r.a.echoes.size(), 1u);
                const Echo& t = *r.a.target();
                EXPECT_NEAR(t.peakAt, expected, 1.0);
                EXPECT_NEAR(t.distance, inchesToUnit(inches, unit), 1 / r.a.samplesPerUnit);
                EXPECT_LT(t.startDistance, t.distance);
                EXPECT_EQ(*r.a.margin(), t.peakLevel - 103);
                EXPECT_DOUBLE_EQ(*r.a.marginRatio(), t.peakLevel / 103.0);
                EXPECT_EQ(t.clipped(), t.peakLevel == 255);
                EXPECT_NEAR(*r.a.noiseFloor, high ? 45 : 20, 2);
                EXPECT_GT(r.a.ringdownEnd, 0);
                EXPECT_LT(r.a.ringdownEnd, n / 10);
            }
        }
    }
}

TEST(EchoAnalysis, NamesTheMultipleAndFindsAFalseEcho) {
    for (int n : {320, 1600}) {
        SCOPED_TRACE(n);
        sim::AcousticScene s = scene(n, n == 320 ? 20 : 100);
        s.shape.amplitude = 150;
        s.shape.multiple = 0.7;
        Analysed r = analyse(s);
        ASSERT_EQ(r.a.echoes.size(), 2u);
        EXPECT_EQ(r.a.echoes[1].kind, EchoKind::Multiple);
        EXPECT_NEAR(r.a.echoes[1].distance, 2 * *s.targetInches, 0.3);

        // A strut beyond the target is an echo of its own; one before it is taken as the target.
        s.shape.multiple = 0;
        s.shape.falseEchoInches = *s.targetInches * 1.5;
        r = analyse(s);
        ASSERT_EQ(r.a.echoes.size(), 2u);
        EXPECT_EQ(r.a.echoes[1].kind, EchoKind::Other);
        EXPECT_NEAR(r.a.echoes[1].distance, *s.shape.falseEchoInches, 0.3);
        s.shape.falseEchoInches = *s.targetInches / 2;
        r = analyse(s);
        ASSERT_EQ(r.a.echoes.size(), 2u);
        EXPECT_NEAR(r.a.target()->distance, *s.shape.falseEchoInches, 0.3);
        EXPECT_EQ(r.a.echoes[1].kind, EchoKind::Multiple);  // the target, at twice the strut
    }
}

TEST(EchoAnalysis, SaysSoWhenThereIsNoEchoOrNoneCanBeToldApart) {
    for (int n : {320, 1600}) {
        SCOPED_TRACE(n);
        Analysed r = analyse(scene(n, std::nullopt));
        EXPECT_EQ(r.a.verdict, EchoVerdict::NoEcho);
        EXPECT_FALSE(r.a.target());
        EXPECT_FALSE(r.a.margin());
        EXPECT_NEAR(*r.a.noiseFloor, 20, 2);
        EXPECT_FALSE(r.a.ringdownEchoAt);
        // A weak echo stays below the threshold: still none.
        sim::AcousticScene weak = scene(n, 30);
        weak.shape.amplitude = 60;
        EXPECT_EQ(analyse(weak).a.verdict, EchoVerdict::NoEcho);

        // A target inside a long ringdown.
        sim::AcousticScene close = scene(n, 6);
        close.shape.ringdownInches = 10;
        close.shape.amplitude = 120;
        r = analyse(close);
        EXPECT_EQ(r.a.verdict, EchoVerdict::EchoInRingdown);
        EXPECT_NEAR(r.a.ringdownDistance, 10, 1.5);
        ASSERT_TRUE(r.a.ringdownEchoAt);
        EXPECT_NEAR(*r.a.ringdownEchoAt, 6, 0.5);
        // The same ringdown alone hides nothing.
        close.targetInches.reset();
        EXPECT_EQ(analyse(close).a.verdict, EchoVerdict::NoEcho);

        const EchoAnalysis saturated = analyzeEcho(
            std::vector<std::uint8_t>(static_cast<std::size_t>(n), 255),
            computePlotScale(std::vector<std::uint8_t>(static_cast<std::size_t>(n), 255), 5, 293.15,
                             kIn));
        EXPECT_EQ(saturated.verdict, EchoVerdict::Saturated);
        EXPECT_TRUE(saturated.echoes.empty());
        const std::vector<std::uint8_t> loud(static_cast<std::size_t>(n), 200);
        EXPECT_EQ(analyzeEcho(loud, computePlotScale(loud, 5, 293.15, kIn)).verdict,
                  EchoVerdict::RingdownNeverEnds);
    }
    // The threshold of the sensor decides: code 14 draws its line at 175.
    sim::AcousticScene s = scene(320, 30);
    s.shape.amplitude = 120;
    EXPECT_EQ(analyse(s, kIn, 5).a.verdict, EchoVerdict::Target);
    EXPECT_EQ(analyse(s, kIn, 14).a.verdict, EchoVerdict::NoEcho);
}

TEST(EchoAnalysis, RowsForAPerson) {
    sim::AcousticScene s = scene(320, 20);
    s.shape.amplitude = 150;
    s.shape.multiple = 0.7;
    const auto rows = analysisRows(analyse(s, kCm).a);
    std::vector<std::string> names;
    for (const auto& [name, value] : rows) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Result", "Threshold", "Target", "Leading edge",
                                               "Width", "Peak", "Margin", "Ringdown", "Noise floor",
                                               "Other echoes"}));
    EXPECT_EQ(rows[0].second, "Target found");
    EXPECT_EQ(rows[1].second, "103");
    EXPECT_NEAR(std::stod(rows[2].second), 50.8, 0.5);
    EXPECT_EQ(rows[2].second.substr(rows[2].second.size() - 3), " cm");
    EXPECT_NE(rows[6].second.find(" ×)"), std::string::npos);
    EXPECT_NE(rows.back().second.find("(multiple, peak "), std::string::npos);
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}
bool anyStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&start](const std::string& l) { return startsWith(l, start); });
}

// Two records of one sensor that differ in one known way.
class Baseline : public ::testing::Test {
protected:
    sim::AcousticScene before = [] {
        sim::AcousticScene s = scene(320, 20);
        s.shape.amplitude = 120;
        s.shape.ringdownInches = 3;
        return s;
    }();
    EchoDifferences diff(sim::AcousticScene now) {
        now.noiseSeed = 7;  // another capture: the noise differs
        return compareEchoes(analyse(now).a, analyse(before).a);
    }
};

TEST_F(Baseline, TheSameSceneHasNoDifference) {
    const EchoDifferences d = diff(before);
    EXPECT_EQ(differenceLines(d), std::vector<std::string>{"No difference in the echoes"});
}

TEST_F(Baseline, TargetMovedAndMarginChanged) {
    sim::AcousticScene now = before;
    now.targetInches = 22;
    EchoDifferences d = diff(now);
    ASSERT_TRUE(d.targetMoved);
    EXPECT_NEAR(*d.targetMoved, 2, 0.2);
    EXPECT_TRUE(d.appeared.empty() && d.gone.empty());
    EXPECT_EQ(differenceLines(d),
              std::vector<std::string>{"Target moved by +" + distanceText(*d.targetMoved, kIn)});

    now = before;
    now.shape.amplitude = 100;
    d = diff(now);
    ASSERT_TRUE(d.marginChanged);
    EXPECT_NEAR(*d.marginChanged, -20, 6);
    EXPECT_EQ(differenceLines(d),
              std::vector<std::string>{"Margin changed by " + std::to_string(*d.marginChanged)});
}

TEST_F(Baseline, EchoesNewOrGoneAndALongerRingdown) {
    sim::AcousticScene now = before;
    now.shape.falseEchoInches = 35;
    EchoDifferences d = diff(now);
    ASSERT_EQ(d.appeared.size(), 1u);
    EXPECT_NEAR(d.appeared[0].distance, 35, 0.3);
    EXPECT_TRUE(d.gone.empty());
    EXPECT_TRUE(startsWith(differenceLines(d).back(), "New echo at 35."));

    std::swap(now, before);
    d = diff(now);
    ASSERT_EQ(d.gone.size(), 1u);
    EXPECT_TRUE(startsWith(differenceLines(d).back(), "Gone: echo at 35."));
    std::swap(now, before);

    now = before;
    now.shape.ringdownInches = 8;  // build-up on the face
    d = diff(now);
    EXPECT_NEAR(d.ringdownChanged, 5, 0.5);
    EXPECT_TRUE(anyStartsWith(differenceLines(d), "Ringdown longer by "));

    now = before;
    now.targetInches.reset();
    d = diff(now);
    EXPECT_FALSE(d.targetMoved);
    EXPECT_EQ(differenceLines(d).front(),
              "Result was: Target found; now: No echo above the threshold");
    EXPECT_EQ(d.gone.size(), 1u);
}

}  // namespace
}  // namespace k7
