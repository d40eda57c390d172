#include <gtest/gtest.h>

#include "link/Frame.h"
#include "link/SerialLine.h"

namespace k7 {
namespace {

TEST(Frame, RequestForTag5Command2) {
    EXPECT_EQ(makeRequest(5, 2), (Frame{170, 5, 2, 0, 0, 177}));
    // The start byte is part of the sum: 170 + 32 + 104 + 45 = 351 -> 95.
    EXPECT_EQ(makeRequest(32, 104, 45)[5], 95);
}

TEST(Frame, ReplyAcceptance) {
    EXPECT_TRUE(replyIsGood(Frame{3, 0, 1, 2, 3, 9}));
    EXPECT_FALSE(replyIsGood(Frame{3, 0, 1, 2, 3, 10}));
    // Tags outside 1..32 are refused even with a right checksum.
    EXPECT_FALSE(replyIsGood(makeReply(0, 0, 1, 2, 3)));
    EXPECT_FALSE(replyIsGood(makeReply(33, 0, 1, 2, 3)));
    EXPECT_TRUE(replyIsGood(makeReply(32, 0, 1, 2, 3)));
    // A sum of 300 carries 44.
    const Frame f = makeReply(30, 100, 100, 50, 20);
    EXPECT_EQ(f[5], 44);
    EXPECT_TRUE(replyIsGood(f));
}

TEST(Frame, HiAndLowByte) {
    EXPECT_EQ(highByte(3200), 12);
    EXPECT_EQ(lowByte(3200), 128);
    EXPECT_EQ(highByte(255), 0);
    EXPECT_EQ(lowByte(65535), 255);
}

TEST(LineSettings, ParsesAndRefuses) {
    LineSettings s = parseLineSettings("19200,n,8,1");
    EXPECT_EQ(s.baud, 19200);
    EXPECT_EQ(s.parity, 'n');
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.stopBits, 1);
    for (const char* bad : {"", "19200", "19200,n,8", "x,n,8,1", "19200,q,8,1", "19200,n,9,1",
                            "19200,n,8,3", "19200,nn,8,1"}) {
        EXPECT_THROW(parseLineSettings(bad), LineError) << bad;
    }
}

}  // namespace
}  // namespace k7
