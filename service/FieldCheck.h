#pragma once
// What a technician types into the factory windows is checked before anything goes to the
// sensor: the whole field must be a number within the range of what it feeds (a cell, a
// word, the serial number), or the field is named in a message and nothing is sent.
#include <string>
#include <string_view>

namespace k7 {

struct Checked {
    long value = 0;       // whole numbers
    double real = 0;      // checkReal
    std::string refusal;  // empty when the value may be used
    explicit operator bool() const { return refusal.empty(); }
};

// The field's whole text as a whole number from min to max; a number with decimals is rounded
// to the nearest whole number (halves to the even one, as the link's byte conversion does).
// An empty field, a text that is not a number and a value out of range are refused.
Checked checkWhole(std::string_view text, std::string_view field, long min, long max);

// The field's whole text as a number from min to max.
Checked checkReal(std::string_view text, std::string_view field, double min, double max);

}  // namespace k7
