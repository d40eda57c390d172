#pragma once
// The display formats of the program ("##0.0", "#0.000", "###.00", "######.000"):
// "#" an optional digit, "0" a required digit, "." the decimal point. Values are rounded half
// away from zero on their shortest decimal form, so 1.005 with two decimals gives 1.01 as a
// person reading the number expects. No thousands separators.
#include <string>
#include <string_view>

namespace k7 {

std::string formatNumber(double value, std::string_view format);

}  // namespace k7
