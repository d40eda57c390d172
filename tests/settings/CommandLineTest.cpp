#include <gtest/gtest.h>

#include "settings/CommandLine.h"

namespace k7 {
namespace {

TEST(CommandLine, SwitchesWithAndWithoutSlashes) {
    auto f = processCommandLineOptions("/onesensor /AutoResetError");
    EXPECT_TRUE(f.oneSensor);
    EXPECT_TRUE(f.autoResetError);
    EXPECT_FALSE(f.factoryAccess);

    f = processCommandLineOptions("onesensor");
    EXPECT_TRUE(f.oneSensor);
    EXPECT_FALSE(f.autoResetError);

    f = processCommandLineOptions(" 5290318846 / ONESENSOR ");
    EXPECT_TRUE(f.factoryAccess);
    EXPECT_TRUE(f.oneSensor);
}

TEST(CommandLine, UnknownOrSplitTokensSetNothing) {
    for (const char* text : {"/ONE SENSOR", "", "/", "//", "ONESENSORX", "/AUTO/RESETERROR", "x"}) {
        auto f = processCommandLineOptions(text);
        EXPECT_FALSE(f.oneSensor) << text;
        EXPECT_FALSE(f.autoResetError) << text;
        EXPECT_FALSE(f.factoryAccess) << text;
    }
}

}  // namespace
}  // namespace k7
