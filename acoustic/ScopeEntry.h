#pragma once
// Whether the acoustic display may open, and what the user is told when it may not; the
// warning shown before the sensor goes into display mode.
#include <optional>
#include <string>

namespace k7 {

struct ScopeRefusal {
    std::string title;
    std::string text;
};

// acousticCapable: a sensor of firmware 25 or later was found; sensorsListed: entries of the
// main window's sensor list; programmedTriggerMode: the trigger mode list code the sensor
// holds (-1 when the model has none).
std::optional<ScopeRefusal> scopeRefusal(bool acousticCapable, int sensorsListed,
                                         int programmedTriggerMode);

inline constexpr const char* kScopeWarningText =
    "WARNING: Entering the display mode to show the acoustic signal will place all the "
    "outputs of the K7700 sensor into the \"No Echo\" state, and may affect "
    "your process. Exiting the display mode will restart the K7700 "
    "from a power up condition.";

}  // namespace k7
