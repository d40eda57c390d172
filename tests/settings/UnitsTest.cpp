#include <gtest/gtest.h>

#include "common/NumberFormat.h"
#include "settings/Units.h"

namespace k7 {
namespace {

using Texts = std::array<std::string, 4>;

DistanceFieldState fromStored(std::int32_t stored, const DistanceFormats& f) {
    DistanceFieldState s;
    s.stored = stored;
    makeDistanceFieldFromStored(s, f);
    return s;
}

TEST(Units, TypedDistanceIsConvertedToEveryUnitAndStored) {
    DistanceFormats f;
    DistanceFieldState s;
    s.changed = true;
    ASSERT_TRUE(makeDistanceField(s, "10", kCm, f));
    EXPECT_EQ(s.unitText, (Texts{"10.0", "3.94", "0.328", "0.100"}));
    EXPECT_NEAR(s.inches, 3.937007874, 1e-9);
    EXPECT_EQ(s.stored, 504);
    EXPECT_FALSE(s.changed);

    ASSERT_TRUE(makeDistanceField(s, "1", kIn, f));
    EXPECT_EQ(s.unitText, (Texts{"2.5", "1.00", "0.083", "0.025"}));
    EXPECT_EQ(s.stored, 128);

    ASSERT_TRUE(makeDistanceField(s, " 2.5 ", kFt, f));
    EXPECT_EQ(s.unitText, (Texts{"76.2", "30.00", "2.500", "0.762"}));
    EXPECT_DOUBLE_EQ(s.inches, 30);
    EXPECT_EQ(s.stored, 3840);

    ASSERT_TRUE(makeDistanceField(s, "1.5", kM, f));
    EXPECT_EQ(s.unitText, (Texts{"150.0", "59.06", "4.921", "1.500"}));
    EXPECT_EQ(s.stored, 7559);  // 59.055 in x 128 = 7559.06
}

TEST(Units, TextThatIsNotANumberLeavesTheFieldAlone) {
    DistanceFormats f;
    DistanceFieldState s = fromStored(3200, f);
    s.changed = true;
    const DistanceFieldState before = s;
    for (const char* bad : {"", "   ", "abc", "12a", "1.2.3", ".", "-"}) {
        EXPECT_FALSE(makeDistanceField(s, bad, kIn, f)) << '"' << bad << '"';
        EXPECT_EQ(s.unitText, before.unitText);
        EXPECT_EQ(s.stored, before.stored);
        EXPECT_EQ(s.inches, before.inches);
        EXPECT_TRUE(s.changed);
    }
}

TEST(Units, RoundingRoutinesTakeHalvesUpwards) {
    EXPECT_DOUBLE_EQ(resolveCm(0.25), 0.3);
    EXPECT_DOUBLE_EQ(resolveCm(-0.25), -0.2);
    EXPECT_DOUBLE_EQ(resolveIn(0.125), 0.13);
    EXPECT_DOUBLE_EQ(resolveIn(-0.125), -0.12);
    EXPECT_DOUBLE_EQ(resolveFt(0.0625), 0.063);
    EXPECT_DOUBLE_EQ(resolveM(0.03125), 0.0313);
    EXPECT_DOUBLE_EQ(resolveM(-0.03125), -0.0312);
}

TEST(Units, DistWithUnitsAddsTheSuffixOfTheCurrentUnit) {
    DistanceFormats f;
    EXPECT_EQ(distanceWithUnits(0, kM, f), "0.000 m");
    EXPECT_EQ(distanceWithUnits(12, kFt, f), "1.000 ft.");
    EXPECT_EQ(distanceWithUnits(12, kIn, f), "12.00 in.");
    EXPECT_EQ(distanceWithUnits(12, kCm, f), "30.5 cm");
}

TEST(Units, StoredCountsAtTheEndsOfTheRange) {
    DistanceFormats f;
    // The smallest step: 1/128 inch still shows in inches and feet, not in cm or m.
    EXPECT_EQ(fromStored(1, f).unitText, (Texts{"0.0", "0.01", "0.001", "0.000"}));
    EXPECT_EQ(fromStored(0, f).unitText, (Texts{"0.0", "0.00", "0.000", "0.000"}));
    // The largest 16-bit count.
    const DistanceFieldState top = fromStored(65535, f);
    EXPECT_DOUBLE_EQ(top.inches, 511.9921875);
    EXPECT_EQ(top.unitText, (Texts{"1300.5", "511.99", "42.666", "13.005"}));
    EXPECT_EQ(top.stored, 65535);
    // A typed value beyond every integer count is held at the largest one, not wrapped.
    DistanceFieldState huge;
    ASSERT_TRUE(makeDistanceField(huge, "99999999999", kIn, f));
    EXPECT_EQ(huge.stored, 2147483647);
    EXPECT_DOUBLE_EQ(huge.inches, 99999999999);
}

TEST(Units, FamilyOf95kHzShowsFewerDecimals) {
    DistanceFormats f;
    f.resetForSensor(true);
    EXPECT_EQ(f.format, (Texts{"##0.0", "##0.0", "#0.00", "#0.000"}));
    EXPECT_EQ(fromStored(65535, f).unitText, (Texts{"1300.5", "512.0", "42.67", "13.005"}));
    // Rounded by the unit's routine first (1.9453 -> 1.95), then by the format.
    EXPECT_EQ(fromStored(249, f).unitText[kIn], "2.0");

    f.resetForSensor(false);
    EXPECT_EQ(f.format, (Texts{"##0.0", "##0.00", "#0.000", "#0.000"}));
}

TEST(Units, FactoryInchFormatSurvivesSensorResets) {
    DistanceFormats f;
    f.fixInchDecimals(3);
    EXPECT_EQ(f.format[kIn], "##0.000");
    f.resetForSensor(true);
    EXPECT_EQ(f.format, (Texts{"##0.0", "##0.000", "#0.00", "#0.000"}));
    f.resetForSensor(false);
    EXPECT_EQ(f.format[kIn], "##0.000");
    // Still rounded to hundredths first: the extra places show zeros.
    EXPECT_EQ(fromStored(3201, f).unitText[kIn], "25.010");

    f.fixInchDecimals(0);
    EXPECT_EQ(f.format[kIn], "##0.");
}

TEST(Units, PresetTemperatureIsHeldInHalfDegreesCelsius) {
    EXPECT_DOUBLE_EQ(commitPresetTemperatureC("21.3", kCelsius), 21.5);
    EXPECT_DOUBLE_EQ(commitPresetTemperatureC("21.2", kCelsius), 21.0);
    const double c = commitPresetTemperatureC("70", kFahrenheit);
    EXPECT_DOUBLE_EQ(c, 21.0);
    EXPECT_EQ(formatNumber(celsiusToFahrenheit(c), "##0.0"), "69.8");
    // Lenient: the leading number counts, nothing counts as 0.
    EXPECT_DOUBLE_EQ(commitPresetTemperatureC("", kCelsius), 0);
    EXPECT_DOUBLE_EQ(commitPresetTemperatureC("25.7 deg", kCelsius), 25.5);
    EXPECT_DOUBLE_EQ(commitPresetTemperatureC("-10.3", kCelsius), -10.5);
}

}  // namespace
}  // namespace k7
