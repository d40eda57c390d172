#include <gtest/gtest.h>

#include "settings/SensorTypes.h"

namespace k7 {
namespace {

using Texts = std::array<std::string, 4>;
const Texts kFineGapTexts = {".2 cm", ".06 in.", ".005 ft.", ".002 m"};
const Texts kCoarseGapTexts = {".2 cm", ".1 in.", ".01 ft.", ".002 m"};

TEST(SensorTypes, LimitsOfThe220kHzClassDependOnTheType) {
    struct Row {
        int type;
        double minDistance, maxDistance;
    };
    // An unknown code keeps the class of the sensor read before it.
    for (const Row& r :
         {Row{0, 4, 40}, Row{7, 2, 20}, Row{2, 4, 80}, Row{5, 4, 80}, Row{9, 4, 80}}) {
        SCOPED_TRACE(r.type);
        const SensorLimits l = limitsFor(r.type, 220, 0);
        EXPECT_EQ(l.MinDistance, r.minDistance);
        EXPECT_EQ(l.MaxDistance, r.maxDistance);
        EXPECT_EQ(l.MaxSampleRate, 100);
        EXPECT_DOUBLE_EQ(l.MaxHysteresisPercent, 89.1);
        EXPECT_EQ(l.MinSeparation, 7.0 / 128);
        EXPECT_EQ(l.MinHystGap, 7.0 / 128);
        EXPECT_EQ(l.MinSeparationText, kFineGapTexts);
        EXPECT_EQ(l.MinHystGapText, kFineGapTexts);
    }
}

TEST(SensorTypes, LimitsOfTheLowFrequencyClasses) {
    // Types 1 and 6, an unknown code on those classes, and one never identified (class 0).
    const std::pair<int, int> cases[] = {{1, 92}, {6, 60}, {9, 92}, {12, 60}, {9, 0}};
    for (auto [type, sensorClass] : cases) {
        SCOPED_TRACE(type);
        const SensorLimits l = limitsFor(type, sensorClass, 100);
        EXPECT_EQ(l.MinDistance, 12);
        EXPECT_EQ(l.MaxDistance, 240);
        EXPECT_EQ(l.MaxSampleRate, 20);
        EXPECT_DOUBLE_EQ(l.MaxHysteresisPercent, 94.1);
        EXPECT_EQ(l.MinSeparation, 1.0 / 16);
        EXPECT_EQ(l.MinHystGap, 1.0 / 16);
        EXPECT_EQ(l.MinSeparationText, kCoarseGapTexts);
        EXPECT_EQ(l.MinHystGapText, kCoarseGapTexts);
    }
}

TEST(SensorTypes, MaxRangeModelsDeriveTheHysteresisLimitFromTheirRange) {
    const SensorLimits g503 = limitsFor(3, 92, 60);
    EXPECT_EQ(g503.MinDistance, 5);
    EXPECT_EQ(g503.MaxDistance, 120);
    EXPECT_EQ(g503.MaxSampleRate, 50);
    EXPECT_DOUBLE_EQ(g503.MaxHysteresisPercent, 91.1);  // 91.67 -> 92
    EXPECT_EQ(g503.MinSeparation, 1.0 / 16);
    EXPECT_EQ(g503.MinSeparationText, kCoarseGapTexts);

    const SensorLimits g615 = limitsFor(4, 92, 100);
    EXPECT_EQ(g615.MinDistance, 10);
    EXPECT_EQ(g615.MaxDistance, 120);
    EXPECT_EQ(g615.MaxSampleRate, 50);
    EXPECT_DOUBLE_EQ(g615.MaxHysteresisPercent, 89.1);  // 90
    EXPECT_EQ(g615.MinHystGap, 1.0 / 16);
    EXPECT_EQ(g615.MinHystGapText, kCoarseGapTexts);
}

TEST(SensorTypes, HysteresisLimitRoundsHalvesToEven) {
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 40).MaxHysteresisPercent, 87.1);         // 87.5 -> 88
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 200.0 / 3).MaxHysteresisPercent, 91.1);  // 92.5 -> 92
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 40.0 / 3).MaxHysteresisPercent, 61.1);   // 62.5 -> 62
    EXPECT_DOUBLE_EQ(limitsFor(4, 92, 16).MaxHysteresisPercent, 37.1);         // 37.5 -> 38
    // A range at or below the minimum distance leaves 0, never a limit no value can meet.
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 0).MaxHysteresisPercent, 0);
    EXPECT_DOUBLE_EQ(limitsFor(4, 92, 5).MaxHysteresisPercent, 0);
}

}  // namespace
}  // namespace k7
