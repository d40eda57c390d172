#pragma once
// Unexpected run-time errors carry a number and a description, so the error box can show
// "Error <number>" the way technicians and the manuals refer to them.
#include <stdexcept>
#include <string>

namespace k7 {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

// Error numbers used by the program (the classic numbering the field documentation uses).
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrDeviceIo = 57;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrPortUnavailable = 8002;

}  // namespace k7
