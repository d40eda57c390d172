#pragma once
// A record as a spreadsheet: a header (serial number, temperature, gain, date, unit) and one
// row a sample with its distance in the display unit and its level.
#include <string>

#include "acoustic/EchoRecord.h"

namespace k7 {

// UTF-8 text with CR LF line ends; `kelvin` gives the distance scale as on the plot.
std::string echoCsvText(const EchoRecord& record, double kelvin, int unit);

}  // namespace k7
