#pragma once
// Setup files on disk: an atomic save, and a read that checks the whole file before anything
// is used, so a recall is all or nothing.
#include <optional>
#include <string>

#include "common/RuntimeError.h"
#include "setupfile/SetupFormat.h"

namespace k7 {

// Writes the setup to `path`, replacing the file only once the new one is complete; the
// header names headerPath.
std::optional<FileError> saveSetupFile(const std::string& path, const std::string& headerPath,
                                       const SetupValues& v);

struct SetupRead {
    enum class Status { Ok, OpenFailed, NotInterpretable } status = Status::Ok;
    SetupValues values;
    FileError error;  // OpenFailed
};

// Reads the value lines a sensor of this type takes and checks them (parseSetupLines, then
// setupFitsSensor). Only the head of the file is read.
SetupRead readSetupFile(const std::string& path, int sensorType);

}  // namespace k7
