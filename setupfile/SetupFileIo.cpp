#include "setupfile/SetupFileIo.h"

#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "common/VbText.h"

namespace k7 {
namespace {

// A setup file is a few hundred bytes; anything this large is not one.
constexpr std::size_t kMaxSetupFileBytes = 1u << 20;
constexpr int kErrPathFileAccess = 75;

}  // namespace

std::string FileError::text() const {
    return "Error " + signedText(number) + ": " + description;
}

std::optional<FileError> saveSetupFile(const std::string& path, const std::string& headerPath,
                                       const SetupValues& v) {
    std::string error;
    if (writeTextFile(path, setupFileText(headerPath, v), &error)) return std::nullopt;
    return FileError{kErrPathFileAccess, error};
}

SetupRead readSetupFile(const std::string& path, int sensorType) {
    SetupRead r;
    std::string error;
    const auto lines = readTextLines(path, &error, kMaxSetupFileBytes);
    if (!lines) {
        if (error == "File too large") {
            r.status = SetupRead::Status::NotInterpretable;
        } else {
            r.status = SetupRead::Status::OpenFailed;
            r.error = {error == "File not found" ? kErrFileNotFound : kErrDeviceIo, error};
        }
        return r;
    }
    const auto values = parseSetupLines(*lines, setupValueLineCount(sensorType));
    if (!values || !setupFitsSensor(*values, sensorType)) {
        r.status = SetupRead::Status::NotInterpretable;
        return r;
    }
    r.values = *values;
    return r;
}

}  // namespace k7
