#include "service/FieldCheck.h"

#include "common/NumberText.h"

namespace k7 {
namespace {

std::string refusal(std::string_view field, bool whole, double min, double max) {
    return "\"" + std::string(field) + "\" must be " + (whole ? "a whole number" : "a number") +
           " from " + plainText(min) + " to " + plainText(max) + ". Nothing was sent.";
}

}  // namespace

Checked checkReal(std::string_view text, std::string_view field, double min, double max) {
    Checked c;
    double v = 0;
    if (!parseNumber(text, &v) || v < min || v > max) {
        c.refusal = refusal(field, false, min, max);
        return c;
    }
    c.real = v;
    return c;
}

Checked checkWhole(std::string_view text, std::string_view field, long min, long max) {
    Checked c;
    double v = 0;
    const bool number = parseNumber(text, &v);
    if (number) v = roundHalfEven(v);
    if (!number || v < static_cast<double>(min) || v > static_cast<double>(max)) {
        c.refusal = refusal(field, true, static_cast<double>(min), static_cast<double>(max));
        return c;
    }
    c.value = static_cast<long>(v);
    c.real = v;
    return c;
}

}  // namespace k7
