#include "link/Frame.h"

#include "link/Commands.h"

namespace k7 {

std::uint8_t frameChecksum(const Frame& f) {
    unsigned sum = 0;
    for (int i = 0; i < 5; ++i) sum += f[static_cast<std::size_t>(i)];
    return static_cast<std::uint8_t>(sum % 256);
}

Frame makeRequest(std::uint8_t tag, std::uint8_t command, std::uint8_t d1, std::uint8_t d2) {
    Frame f{kStartByte, tag, command, d1, d2, 0};
    f[5] = frameChecksum(f);
    return f;
}

Frame makeReply(std::uint8_t tag, std::uint8_t status, std::uint8_t d0, std::uint8_t d1,
                std::uint8_t d2) {
    Frame f{tag, status, d0, d1, d2, 0};
    f[5] = frameChecksum(f);
    return f;
}

bool replyIsGood(const Frame& reply) {
    return reply[0] >= 1 && reply[0] <= 32 && frameChecksum(reply) == reply[5];
}

bool isAcceptedCommand(int code) {
    switch (code) {
        case 1:
        case 2:
        case 29:
        case 30:
        case 31:
        case 32:
        case 33:
        case 34:
        case 38:
        case 39:
        case 100:
        case 101:
        case 103:
        case 104:
        case 106:
        case 107:
        case 112:
        case 113:
        case 114:
        case 115:
        case 116:
        case 117:
        case 119:
        case 120:
        case 121:
        case 122:
        case 123:
        case 125:
        case 126:
            return true;
        default:
            return false;
    }
}

}  // namespace k7
