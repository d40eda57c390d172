#include "acoustic/ScopeEntry.h"

namespace k7 {

std::optional<ScopeRefusal> scopeRefusal(bool acousticCapable, int sensorsListed,
                                         int programmedTriggerMode) {
    if (!acousticCapable) {
        return ScopeRefusal{
            "Acoustic Display Unavailable",
            "An K7700 sensor of version 25 or higher is required to display the acoustic "
            "signal. \nNo unit presently on line has the required version."};
    }
    if (sensorsListed > 1) {
        return ScopeRefusal{
            "Too Many Sensors On-Line",
            "In order to display the acoustic signal, only one K7700 sensor can be on-line. "
            "\nDisconnect all but one sensor and re-start this program."};
    }
    // Only the internal modes (0, 1) let the sensor run on its own in display mode.
    if (programmedTriggerMode > 1) {
        return ScopeRefusal{
            "Incorrect Trigger Mode for Acoustic Display",
            "In order to display the acoustic signal, the Trigger Mode \nmust be either "
            "\"internal\"  or \"internal w/trig out\".\n\nSelect one of these two Trigger "
            "Modes on the main screen \nin the \"SAMPLING SETTINGS\" section, and then click "
            "the \n\"Program K-7700\" button."};
    }
    return std::nullopt;
}

}  // namespace k7
