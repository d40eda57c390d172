#pragma once
// Number <-> text conversions with the exact behaviour the sensor's file formats and screens
// rely on: lenient leading-number parsing, the blank sign position of printed numbers, and
// round-half-to-even byte conversion.
#include <cstdint>
#include <string>
#include <string_view>

namespace k7 {

// Value of the leading numeric part of a text (blanks before it are skipped); 0 when none.
double leadingNumber(std::string_view text);

// Whole text as a number (surrounding blanks allowed); false when it is not exactly a number.
bool parseNumber(std::string_view text, double* out);

// A number written with its sign position: " 5", "-5", " .5", " 12.25" (15 significant digits).
std::string signedText(double value);
// The same for single-precision values (7 significant digits), e.g. history times.
std::string signedTextSingle(float value);
// Plain decimal without a sign blank and without a leading "0" dropped: "5", "-5", "0.5".
std::string plainText(double value);

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double value);
// Round half to even and check the 0..255 range; throws RuntimeError(Overflow) otherwise.
std::uint8_t toByte(double value);
// Text -> byte as the write parameter block converts it (type mismatch / overflow throw).
std::uint8_t textToByte(std::string_view text);

// Text after the first "=", blanks trimmed; the one-character text "\x07" when there is no "=".
std::string valueAfterEquals(std::string_view line);

std::string trim(std::string_view text);
std::string toUpper(std::string_view text);

}  // namespace k7
