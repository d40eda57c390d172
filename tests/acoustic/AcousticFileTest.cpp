// The acoustic data file: the exact bytes written, what the reader refuses, and round trips.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "acoustic/AcousticFile.h"
#include "common/TextFile.h"
#include "settings/Units.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

EchoRecord sample() {
    EchoRecord r;
    for (int k = 0; k < 320; ++k) r.samples.push_back(static_cast<std::uint8_t>(k % 256));
    r.serialNumber = "100001";
    r.temperatureC = 21.5;
    r.gainCaption = "Switching Gain (Normal)";
    r.comments =
        "Tank 3, D\xC3\xBC"
        "se\nafter cleaning";
    return r;
}

// The lines of a file made by hand: header, format, serial, temperature, gain, comment block.
std::vector<std::string> lines(std::initializer_list<std::string> head, int samples,
                               const std::string& value = " 20 ") {
    std::vector<std::string> l(head);
    for (int i = 0; i < samples; ++i) l.push_back(value);
    return l;
}

const std::initializer_list<std::string> kHead2 = {"x, Acoustic data file for an K-7700 sensor",
                                                   "Data Format Follows",
                                                   "Data Format =2",
                                                   "Serial Number = 100001",
                                                   "Temperature (deg. C) = 21.5",
                                                   "Gain = Low Gain",
                                                   "note",
                                                   "",
                                                   "",
                                                   "\x06"};

TEST(AcousticFile, SavedByteForByte) {
    test::TempDir dir;
    const std::string path = dir.file("echo.dat");
    ASSERT_EQ(saveAcousticFile(path, sample()), "");
    std::string expected = path +
                           ", Acoustic data file for an K-7700 sensor\r\n"
                           "Data Format Follows\r\n"
                           "Data Format =2\r\n"
                           "Serial Number = 100001\r\n"
                           "Temperature (deg. C) = 21.5\r\n"
                           "Gain = Switching Gain (Normal)\r\n"
                           "Tank 3, D\xFCse\r\n"
                           "after cleaning\r\n"
                           "\r\n"
                           "\r\n"
                           "\x06\r\n";
    for (int k = 0; k < 320; ++k) expected += " " + std::to_string(k % 256) + " \r\n";
    EXPECT_EQ(bytesOf(path), expected);

    // No temperature measured: the line ends at its "= ".
    EchoRecord r = sample();
    r.temperatureC.reset();
    r.comments = "one\x06two";
    ASSERT_EQ(saveAcousticFile(path, r), "");
    const std::string text = bytesOf(path);
    EXPECT_NE(text.find("\r\nTemperature (deg. C) = \r\nGain"), std::string::npos);
    EXPECT_NE(text.find("\r\none6two\r\n\r\n\r\n\x06\r\n 0 \r\n"), std::string::npos);
}

TEST(AcousticFile, RecallReadsBothFormatsAndLfOnlyFiles) {
    std::optional<EchoRecord> r = parseAcousticFile(lines(kHead2, 320));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->serialNumber, "100001");
    EXPECT_EQ(r->temperatureC, 21.5);
    EXPECT_EQ(r->gainCaption, "Low Gain");
    EXPECT_EQ(r->comments, "note");
    EXPECT_EQ(r->samples, std::vector<std::uint8_t>(320, 20));

    // Format 1: the serial number on line 2, no comments; gain in any case; 1600 samples.
    r = parseAcousticFile(lines(
        {"x", "Serial Number = 7", "Temperature (deg. C) = -3", "Gain = high gain"}, 1600, "12.5"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->gainCaption, "high gain");
    EXPECT_EQ(r->comments, "");
    EXPECT_EQ(r->samples.size(), 1600u);
    EXPECT_EQ(r->samples[0], 12);  // halves go to the even neighbour

    // Key texts are not compared; a sample line without a number is 0.
    std::vector<std::string> l = lines({"x", "S = 5", "T = ", "G = Switching Gain (Normal)"}, 320);
    l[200] = "";
    r = parseAcousticFile(l);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->temperatureC);  // empty: unknown, not 0 °C
    EXPECT_EQ(r->samples[196], 0);

    test::TempDir dir;
    std::string lf = "x\nSerial Number = 1\nTemperature (deg. C) = 20\nGain = Low Gain\n";
    for (int i = 0; i < 320; ++i) lf += " 9 \n";
    writeBytes(dir.file("lf.dat"), lf);
    const RecalledFile f = recallAcousticFile(dir.file("lf.dat"));
    ASSERT_TRUE(f.record) << f.error;
    EXPECT_EQ(f.record->samples.back(), 9);
}

TEST(AcousticFile, WhatCannotBeInterpreted) {
    auto refused = [](const std::vector<std::string>& l) { return !parseAcousticFile(l); };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused({"header only"}));
    EXPECT_TRUE(refused(lines(kHead2, 321)));  // e.g. an empty line after the samples
    EXPECT_TRUE(refused(lines(kHead2, 319)));
    EXPECT_TRUE(refused(lines(kHead2, 1601)));
    EXPECT_TRUE(refused(lines(kHead2, 0)));
    EXPECT_TRUE(refused(lines(kHead2, 320, "256")));
    EXPECT_TRUE(refused(lines(kHead2, 320, "-1")));
    // Each of the format, serial, temperature and gain lines without "=", or a wrong gain.
    for (std::size_t i : {2u, 3u, 4u, 5u}) {
        std::vector<std::string> l = lines(kHead2, 320);
        l[i] = "no equals sign";
        EXPECT_TRUE(refused(l)) << i;
    }
    std::vector<std::string> l = lines(kHead2, 320);
    l[5] = "Gain = Medium Gain";
    EXPECT_TRUE(refused(l));
    l[5] = "Gain = Low Gain";
    l[2] = "Data Format =two";
    EXPECT_TRUE(refused(l));
    // Format 2 without the end-of-comments line: everything is comment, no samples remain.
    l = lines(kHead2, 320);
    l.erase(l.begin() + 9);
    EXPECT_TRUE(refused(l));
    EXPECT_EQ(cannotInterpretMessage("/a/b.dat"),
              "The file \"/a/b.dat\" cannot be interpreted. It may not be an K-7700 Acoustic "
              "Data file, or it may have been corrupted.");
}

TEST(AcousticFile, SaveRecallSaveIsByteIdentical) {
    test::TempDir dir;
    const std::string first = dir.file("a.dat");
    for (const std::string comments : {"", "one line", "two\nlines\n", "\n\nspaced\n\n"}) {
        EchoRecord r = sample();
        r.comments = comments;
        ASSERT_EQ(saveAcousticFile(first, r), "");
        const RecalledFile back = recallAcousticFile(first);
        ASSERT_TRUE(back.record) << back.error;
        EXPECT_EQ(back.record->comments, comments);
        ASSERT_EQ(saveAcousticFile(first, *back.record), "");
        const std::string once = bytesOf(first);
        ASSERT_EQ(saveAcousticFile(first, *recallAcousticFile(first).record), "");
        EXPECT_EQ(bytesOf(first), once) << comments;
    }
}

TEST(AcousticFile, FileFaults) {
    test::TempDir dir;
    EXPECT_EQ(recallAcousticFile(dir.file("missing.dat")).error, "Error  53: File not found");
    writeBytes(dir.file("huge.dat"), std::string(kAcousticFileMaxBytes + 1, '1'));
    EXPECT_EQ(recallAcousticFile(dir.file("huge.dat")).error,
              cannotInterpretMessage(dir.file("huge.dat")));

    // A read-only file is refused, not replaced behind its mark.
    const std::string locked = dir.file("locked.dat");
    writeBytes(locked, "keep");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_EQ(saveAcousticFile(locked, sample()), "Error  70: " + locked + " is read-only");
    EXPECT_EQ(bytesOf(locked), "keep");
    EXPECT_NE(saveAcousticFile(dir.file("no/such/folder.dat"), sample()), "");
}

TEST(AcousticFile, Labels) {
    EXPECT_EQ(serialNumberLabel("0"), "invalid");
    EXPECT_EQ(serialNumberLabel(""), "invalid");
    EXPECT_EQ(serialNumberLabel("16777216"), "invalid");
    EXPECT_EQ(serialNumberLabel("16777215"), "16777215");
    EXPECT_EQ(temperatureLabel(21.5, kCelsius), "21.5 deg. C");
    EXPECT_EQ(temperatureLabel(0.0, kFahrenheit), "32.0 deg. F");
    EXPECT_EQ(temperatureLabel(std::nullopt, kCelsius), "unknown");
}

}  // namespace
}  // namespace k7
