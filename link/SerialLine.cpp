#include "link/SerialLine.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace k7 {

LineSettings parseLineSettings(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream ss(text);
    std::string p;
    while (std::getline(ss, p, ',')) parts.push_back(p);
    if (parts.size() != 4) throw LineError("Invalid port settings: " + text);
    LineSettings s;
    try {
        s.baud = std::stoi(parts[0]);
        s.dataBits = std::stoi(parts[2]);
        s.stopBits = std::stoi(parts[3]);
    } catch (const std::exception&) {
        throw LineError("Invalid port settings: " + text);
    }
    if (parts[1].size() != 1) throw LineError("Invalid port settings: " + text);
    s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(parts[1][0])));
    if (s.baud <= 0 || s.dataBits < 5 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2) ||
        std::string("neoms").find(s.parity) == std::string::npos) {
        throw LineError("Invalid port settings: " + text);
    }
    return s;
}

}  // namespace k7
