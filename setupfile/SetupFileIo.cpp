#include "setupfile/SetupFileIo.h"

#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"

namespace k7 {
namespace {

// Far more than any value line needs; a longer line is cut, never held whole.
constexpr std::size_t kMaxLineBytes = 4096;

}  // namespace

std::optional<FileError> saveSetupFile(const std::string& path, const std::string& headerPath,
                                       const SetupValues& v) {
    std::string error;
    int systemError = 0;
    if (writeTextFile(path, setupFileText(headerPath, v), &error, &systemError)) {
        return std::nullopt;
    }
    return FileError{fileErrorNumber(systemError, false), error};
}

SetupRead readSetupFile(const std::string& path, int sensorType) {
    SetupRead r;
    const int valueLines = setupValueLineCount(sensorType);
    // The header and the value lines; whatever follows is never read.
    const FirstLines file =
        readFirstLines(path, static_cast<std::size_t>(valueLines) + 1, kMaxLineBytes);
    if (file.status != ReadStatus::Ok) {
        r.status = SetupRead::Status::OpenFailed;
        r.error = {fileErrorNumber(file.systemError, true), file.error};
        return r;
    }
    const auto values = parseSetupLines(file.lines, valueLines);
    if (!values || !setupFitsSensor(*values, sensorType)) {
        r.status = SetupRead::Status::NotInterpretable;
        return r;
    }
    r.values = *values;
    return r;
}

}  // namespace k7
