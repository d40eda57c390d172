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
        EXPECT_EQ(l.minDistance, r.minDistance);
        EXPECT_EQ(l.maxDistance, r.maxDistance);
        EXPECT_EQ(l.maxSampleRate, 100);
        EXPECT_DOUBLE_EQ(l.maxHysteresisPercent, 89.1);
        EXPECT_EQ(l.minSeparation, 7.0 / 128);
        EXPECT_EQ(l.minHystGap, 7.0 / 128);
        EXPECT_EQ(l.minSeparationText, kFineGapTexts);
        EXPECT_EQ(l.minHystGapText, kFineGapTexts);
    }
}

TEST(SensorTypes, LimitsOfTheLowFrequencyClasses) {
    // Types 1 and 6, an unknown code on those classes, and one never identified (class 0).
    const std::pair<int, int> cases[] = {{1, 92}, {6, 60}, {9, 92}, {12, 60}, {9, 0}};
    for (auto [type, sensorClass] : cases) {
        SCOPED_TRACE(type);
        const SensorLimits l = limitsFor(type, sensorClass, 100);
        EXPECT_EQ(l.minDistance, 12);
        EXPECT_EQ(l.maxDistance, 240);
        EXPECT_EQ(l.maxSampleRate, 20);
        EXPECT_DOUBLE_EQ(l.maxHysteresisPercent, 94.1);
        EXPECT_EQ(l.minSeparation, 1.0 / 16);
        EXPECT_EQ(l.minHystGap, 1.0 / 16);
        EXPECT_EQ(l.minSeparationText, kCoarseGapTexts);
        EXPECT_EQ(l.minHystGapText, kCoarseGapTexts);
    }
}

TEST(SensorTypes, MaxRangeModelsDeriveTheHysteresisLimitFromTheirRange) {
    const SensorLimits g503 = limitsFor(3, 92, 60);
    EXPECT_EQ(g503.minDistance, 5);
    EXPECT_EQ(g503.maxDistance, 120);
    EXPECT_EQ(g503.maxSampleRate, 50);
    EXPECT_DOUBLE_EQ(g503.maxHysteresisPercent, 91.1);  // 91.67 -> 92
    EXPECT_EQ(g503.minSeparation, 1.0 / 16);
    EXPECT_EQ(g503.minSeparationText, kCoarseGapTexts);

    const SensorLimits g615 = limitsFor(4, 92, 100);
    EXPECT_EQ(g615.minDistance, 10);
    EXPECT_EQ(g615.maxDistance, 120);
    EXPECT_EQ(g615.maxSampleRate, 50);
    EXPECT_DOUBLE_EQ(g615.maxHysteresisPercent, 89.1);  // 90
    EXPECT_EQ(g615.minHystGap, 1.0 / 16);
    EXPECT_EQ(g615.minHystGapText, kCoarseGapTexts);
}

TEST(SensorTypes, HysteresisLimitRoundsHalvesToEven) {
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 40).maxHysteresisPercent, 87.1);         // 87.5 -> 88
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 200.0 / 3).maxHysteresisPercent, 91.1);  // 92.5 -> 92
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 40.0 / 3).maxHysteresisPercent, 61.1);   // 62.5 -> 62
    EXPECT_DOUBLE_EQ(limitsFor(4, 92, 16).maxHysteresisPercent, 37.1);         // 37.5 -> 38
    // A range at or below the minimum distance leaves 0, never a limit no value can meet.
    EXPECT_DOUBLE_EQ(limitsFor(3, 92, 0).maxHysteresisPercent, 0);
    EXPECT_DOUBLE_EQ(limitsFor(4, 92, 5).maxHysteresisPercent, 0);
}

}  // namespace
}  // namespace k7
