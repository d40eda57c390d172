#pragma once
// Six-byte request and reply frames: request = 170, tag, command, d1, d2, checksum;
// reply = tag, status, d0, d1, d2, checksum. The checksum is the sum of bytes 1..5 mod 256.
#include <array>
#include <cstdint>

namespace k7 {

using Frame = std::array<std::uint8_t, 6>;

inline constexpr std::uint8_t kStartByte = 170;

std::uint8_t frameChecksum(const Frame& f);
Frame makeRequest(std::uint8_t tag, std::uint8_t command, std::uint8_t d1 = 0, std::uint8_t d2 = 0);
Frame makeReply(std::uint8_t tag, std::uint8_t status, std::uint8_t d0, std::uint8_t d1,
                std::uint8_t d2);
// A reply is taken when its tag is 1..32 (any tag: it is not compared with the request's) and
// its checksum is right.
bool replyIsGood(const Frame& reply);

// Splitting 16-bit EEPROM values into their two cells.
inline int highByte(int x) {
    return x / 256;
}
inline int lowByte(int x) {
    return x - (x / 256) * 256;
}

}  // namespace k7
