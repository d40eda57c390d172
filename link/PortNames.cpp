#include "link/PortNames.h"

namespace k7 {

std::string deviceForPortNumber(int number) {
#ifdef _WIN32
    return "COM" + std::to_string(number);
#else
    return "/dev/ttyS" + std::to_string(number - 1);
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
