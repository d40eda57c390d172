#pragma once
// Which device a port choice means. Comm N is COMN on Windows and /dev/ttyS<N-1> here; a
// device path (a USB adapter, a pseudo-terminal) can be named instead of a number.
#include <string>

namespace k7 {

struct PortChoice {
    int number = 0;      // 0 = none chosen
    std::string device;  // when not empty it names the device and `number` is ignored

    bool chosen() const { return !device.empty() || number > 0; }
    std::string devicePath() const;
    // "Comm 3" or the device path, as the windows name the port.
    std::string displayName() const;
    // Text that stands for N in "Comm N" messages: the number, or the device path.
    std::string numberText() const;
};

std::string deviceForPortNumber(int number);

// What "Comm N" means on this system, for the port window.
std::string portNumberHint();

}  // namespace k7
