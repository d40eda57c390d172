#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/Cp1252.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

TEST(NumberText, LeadingNumberIsLenient) {
    EXPECT_DOUBLE_EQ(leadingNumber("  12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(leadingNumber("-3"), -3);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("\x07"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e2x"), 100);
    EXPECT_DOUBLE_EQ(leadingNumber("7e"), 7);
}

TEST(NumberText, ParseNumberNeedsTheWholeText) {
    double v = 0;
    EXPECT_TRUE(parseNumber(" 10 ", &v));
    EXPECT_DOUBLE_EQ(v, 10);
    EXPECT_TRUE(parseNumber("0.25", &v));
    EXPECT_FALSE(parseNumber("", &v));
    EXPECT_FALSE(parseNumber("12a", &v));
    EXPECT_FALSE(parseNumber(".", &v));
    EXPECT_FALSE(parseNumber("1.2.3", &v));
}

TEST(NumberText, SignedTextKeepsTheSignPosition) {
    EXPECT_EQ(signedText(5), " 5");
    EXPECT_EQ(signedText(-5), "-5");
    EXPECT_EQ(signedText(0.5), " .5");
    EXPECT_EQ(signedText(-0.5), "-.5");
    EXPECT_EQ(signedText(3200), " 3200");
    EXPECT_EQ(signedText(21.5), " 21.5");
    EXPECT_EQ(signedTextSingle(36000.5f), " 36000.5");
    EXPECT_EQ(signedTextSingle(0.0f), " 0");
    EXPECT_EQ(signedTextSingle(45296.123f), " 45296.12");
}

TEST(NumberText, ByteConversionRoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(toByte(2.5), 2);
    EXPECT_EQ(toByte(3.5), 4);
    EXPECT_EQ(toByte(255.4), 255);
    EXPECT_THROW(toByte(255.5), RuntimeError);
    EXPECT_THROW(toByte(-0.6), RuntimeError);
    EXPECT_EQ(textToByte(" 105 "), 105);
    try {
        textToByte("(none)");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), kErrTypeMismatch);
    }
}

TEST(NumberText, ValueAfterEquals) {
    EXPECT_EQ(valueAfterEquals("Port=  3 "), "3");
    EXPECT_EQ(valueAfterEquals("a=b=c"), "b=c");
    EXPECT_EQ(valueAfterEquals("no equals"), "\x07");
    EXPECT_EQ(valueAfterEquals(""), "\x07");
    EXPECT_EQ(valueAfterEquals("Key="), "");
}

TEST(Version, MinorGetsATrailingZeroWhenSingleDigit) {
    EXPECT_EQ(versionText(2, 5), "2.50");
    EXPECT_EQ(versionText(2, 12), "2.12");
    EXPECT_EQ(versionText(2, 1), "2.10");
}

TEST(Cp1252, RoundTripsTheHighCharacters) {
    const std::string utf8 =
        "Temp \xC2\xB0"
        "C \xE2\x82\xAC \xC3\xA9";  // ° € é
    const std::string bytes = utf8ToCp1252(utf8);
    EXPECT_EQ(bytes, std::string("Temp \xB0"
                                 "C \x80 \xE9"));
    EXPECT_EQ(cp1252ToUtf8(bytes), utf8);
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?");  // no 1252 form
    EXPECT_EQ(utf8ToCp1252("\xE2\x82"), "?");      // truncated sequence
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(every)), every);  // the undefined bytes too
}

class TextFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("k7_textfile_test.txt");
};

TEST_F(TextFileTest, WritesCrLfInCp1252AndReadsBothLineEnds) {
    ASSERT_TRUE(writeTextFile(path, joinCrLf({"a=1", "b \xC2\xB0"})));
    std::ifstream in(path, std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(raw, "a=1\r\nb \xB0\r\n");

    std::ofstream(path, std::ios::binary) << "x\ny\r\nz";
    auto lines = readTextLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(TextFileTest, RefusesMissingAndOversizedFiles) {
    std::string err;
    EXPECT_FALSE(readTextLines(path + ".missing", &err));
    EXPECT_FALSE(err.empty());
    std::ofstream(path, std::ios::binary) << std::string(2000, 'x');
    EXPECT_FALSE(readTextLines(path, &err, 1000));
}

TEST_F(TextFileTest, FailedWriteLeavesTheOldFile) {
    ASSERT_TRUE(writeTextFile(path, "good\r\n"));
    EXPECT_FALSE(writeTextFile("/nonexistent-dir/x.txt", "x"));
    auto lines = readTextLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->front(), "good");
}

}  // namespace
}  // namespace k7
