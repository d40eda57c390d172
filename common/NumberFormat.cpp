#include "common/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace k7 {
namespace {

struct Pattern {
    int minIntDigits = 0;  // "0" before the point
    int minDecimals = 0;   // "0" after the point
    int maxDecimals = 0;   // "0" or "#" after the point
    bool hasPoint = false;
};

Pattern parsePattern(std::string_view f) {
    Pattern p;
    bool afterPoint = false;
    for (char c : f) {
        if (c == '.') {
            afterPoint = true;
            p.hasPoint = true;
        } else if (c == '0') {
            if (afterPoint) {
                ++p.minDecimals;
                ++p.maxDecimals;
            } else {
                ++p.minIntDigits;
            }
        } else if (c == '#') {
            if (afterPoint) ++p.maxDecimals;
        }
    }
    return p;
}

// Digits of |value| in fixed notation, shortest form that reads back exactly.
std::string shortestFixed(double magnitude) {
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

}  // namespace

std::string formatNumber(double value, std::string_view format) {
    if (!std::isfinite(value)) return "";
    const Pattern p = parsePattern(format);
    const bool negative = value < 0;
    std::string s = shortestFixed(std::fabs(value));

    std::string intPart = s, frac;
    if (auto dot = s.find('.'); dot != std::string::npos) {
        intPart = s.substr(0, dot);
        frac = s.substr(dot + 1);
    }
    // Round half away from zero at maxDecimals.
    if (static_cast<int>(frac.size()) > p.maxDecimals) {
        bool up = frac[static_cast<std::size_t>(p.maxDecimals)] >= '5';
        frac.resize(static_cast<std::size_t>(p.maxDecimals));
        if (up) {
            std::string digits = intPart + frac;
            int i = static_cast<int>(digits.size()) - 1;
            while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
                digits[static_cast<std::size_t>(i)] = '0';
                --i;
            }
            if (i < 0) {
                digits = "1" + digits;
            } else {
                ++digits[static_cast<std::size_t>(i)];
            }
            intPart = digits.substr(0, digits.size() - frac.size());
            frac = digits.substr(digits.size() - frac.size());
        }
    }
    while (static_cast<int>(frac.size()) > p.minDecimals && !frac.empty() && frac.back() == '0') {
        frac.pop_back();
    }
    while (static_cast<int>(frac.size()) < p.minDecimals) frac += '0';

    // Integer digits: strip leading zeros, then pad to the required count.
    std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "" : intPart.substr(nz);
    if (static_cast<int>(intPart.size()) < p.minIntDigits) {
        intPart =
            std::string(static_cast<std::size_t>(p.minIntDigits) - intPart.size(), '0') + intPart;
    }

    bool allZero = intPart.find_first_not_of('0') == std::string::npos &&
                   frac.find_first_not_of('0') == std::string::npos;
    if (intPart.empty() && !p.hasPoint) intPart = std::string(1, '0');
    std::string out = (negative && !allZero) ? std::string(1, '-') : std::string();
    out += intPart;
    if (p.hasPoint) out += '.';
    out += frac;
    return out;
}

}  // namespace k7
