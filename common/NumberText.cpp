#include "common/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/RuntimeError.h"

namespace k7 {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the numeric prefix starting at pos: sign, digits, one point, exponent.
std::size_t numericPrefix(std::string_view t, std::size_t pos) {
    std::size_t i = pos;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < t.size() && isDigit(t[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i - pos;
}

double toDouble(std::string_view t) {
    std::string s(t);
    for (char& c : s) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    return std::strtod(s.c_str(), nullptr);
}

std::string dropLeadingZero(std::string s) {
    // "0.5" -> ".5", "-0.5" -> "-.5", as numbers are printed in the program's files.
    if (s.rfind("0.", 0) == 0) return s.substr(1);
    if (s.rfind("-0.", 0) == 0) return "-" + s.substr(2);
    return s;
}

std::string significant(double v, int digits) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    std::string s(buf);
    if (s.find('e') != std::string::npos) {
        // Switch to fixed notation for the magnitudes the program prints.
        std::snprintf(buf, sizeof buf, "%.*f", digits, v);
        s = buf;
    }
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s;
}

}  // namespace

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t n = numericPrefix(text, i);
    return n == 0 ? 0.0 : toDouble(text.substr(i, n));
}

bool parseNumber(std::string_view text, double* out) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t n = numericPrefix(text, i);
    if (n == 0) return false;
    std::size_t j = i + n;
    while (j < text.size() && isBlank(text[j])) ++j;
    if (j != text.size()) return false;
    *out = toDouble(text.substr(i, n));
    return std::isfinite(*out);
}

std::string signedText(double value) {
    std::string s = dropLeadingZero(significant(value, 15));
    return s[0] == '-' ? s : " " + s;
}

std::string signedTextSingle(float value) {
    std::string s = dropLeadingZero(significant(static_cast<double>(value), 7));
    return s[0] == '-' ? s : " " + s;
}

std::string plainText(double value) {
    return significant(value, 15);
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

std::uint8_t toByte(double value) {
    double r = roundHalfEven(value);
    if (!(r >= 0 && r <= 255)) throw RuntimeError(kErrOverflow, "Overflow");
    return static_cast<std::uint8_t>(r);
}

std::uint8_t textToByte(std::string_view text) {
    double v = 0;
    if (!parseNumber(text, &v)) throw RuntimeError(kErrTypeMismatch, "Type mismatch");
    return toByte(v);
}

std::string valueAfterEquals(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::string(1, '\x07');
    return trim(line.substr(eq + 1));
}

std::string trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return std::string(text.substr(b, e - b));
}

std::string toUpper(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

}  // namespace k7
