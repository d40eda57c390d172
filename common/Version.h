#pragma once
// The program's version text: major, ".", minor, with a "0" appended to a one-digit minor
// (3.1 -> "3.10", 3.12 -> "3.12"). It appears in the progress and about windows and in the
// headers of the INI and setup files.
#include <string>

namespace k7 {

inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 1;

inline std::string versionText(int major = kVersionMajor, int minor = kVersionMinor) {
    std::string m = std::to_string(minor);
    if (m.size() == 1) m += "0";
    return std::to_string(major) + "." + m;
}

}  // namespace k7
