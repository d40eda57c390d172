#include "link/PortNames.h"

namespace k7 {

std::string deviceForPortNumber(int number) {
#ifdef _WIN32
    return "COM" + std::to_string(number);
#else
    return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

std::string portNumberHint() {
#ifdef _WIN32
    return "Comm N is the serial port COMN.";
#else
    // Own lines: a path is never broken at its slashes.
    return "Comm N is the serial port /dev/ttyS<N-1> (Comm 1 is /dev/ttyS0).\n"
           "A USB serial adapter is a device such as /dev/ttyUSB0.";
#endif
}

std::string PortChoice::devicePath() const {
    return device.empty() ? deviceForPortNumber(number) : device;
}

std::string PortChoice::displayName() const {
    return device.empty() ? "Comm " + std::to_string(number) : device;
}

std::string PortChoice::numberText() const {
    return device.empty() ? std::to_string(number) : device;
}

}  // namespace k7
