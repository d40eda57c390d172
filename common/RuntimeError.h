#pragma once
// Unexpected run-time errors carry a number and a description, so the error box can show
// "Error <number>" the way technicians and the manuals refer to them.
#include <cerrno>
#include <stdexcept>
#include <string>

#include "common/NumberText.h"

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
inline constexpr int kErrDiskFull = 61;
inline constexpr int kErrPermissionDenied = 70;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrPortUnavailable = 8002;

// The number a file operation's failure is reported under, from the system's error: a missing
// file (when opening one to read) or folder, no permission, a full disk, a failing device, or
// any other access error.
inline int fileErrorNumber(int systemError, bool reading) {
    switch (systemError) {
        case ENOENT:
            return reading ? kErrFileNotFound : kErrPathNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kErrPermissionDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kErrDiskFull;
        case EIO:
            return kErrDeviceIo;
        default:
            return kErrPathFileAccess;
    }
}

// A file that could not be opened or written, as the error window shows it:
// "Error " + number (with its sign blank) + ": " + description.
struct FileError {
    int number = 0;
    std::string description;
    std::string text() const { return "Error " + signedText(number) + ": " + description; }
};

}  // namespace k7
