#pragma once
// Keeping typed settings sane: key filters, field-level checks when a field is left, and
// checkValues over the whole screen before programming. Messages are shown by the caller in
// the main window's red message band; fields named in `redFields` are marked red.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ProgramState.h"
#include "settings/ScreenValues.h"

namespace k7 {

struct ValidationFailure {
    int step = 0;  // the checkValues step (1..15)
    std::string message;
    std::vector<std::string> redFields;  // control names, e.g. "CloseSetPoint"
};

// Value of a text as the rules read it: its leading number, 0 when it has none.
double lenientNumber(std::string_view text);

// The 16-bit count of tenths a sample rate text programs: x10, split into a high byte and a
// low byte each rounded half to even, recombined.
int sampleRateCount(std::string_view text);

// Commits a distance field (the focus-leaving handler): when its Changed flag is set, parses
// screen.DistText into m's state; on success puts the current unit's text back. On a parse
// failure sets m.distParseError and returns the field's message (shown with the limits).
std::optional<ValidationFailure> commitDistanceField(ProgramState& m, ScreenValues& screen,
                                                     DistField field);

// checkValues: sets m.valuesValid; the first failing rule only. May commit distance fields
// and rewrites screen.Hysteresis1 with the rounded value. With skipValidation: success.
std::optional<ValidationFailure> checkValues(ProgramState& m, ScreenValues& screen);

// The field-level check of one field when the focus leaves it (name as in the control list:
// "SingleSensorID", "Dist04", ..., "ManualTemperature"); nullopt = passes or does not apply.
std::optional<ValidationFailure> checkField(ProgramState& m, ScreenValues& screen,
                                            std::string_view field);

enum class KeyFilter {
    Distance,    // digits, Backspace, one "."; Enter commits (dropped silently)
    SampleRate,  // digits, Backspace, one "."; Enter rejected
    Digits,      // digits and Backspace
    None,
};

struct KeyDecision {
    bool accept = false;  // insert the key
    bool beep = false;    // rejected keys beep
    bool commit = false;  // Enter in a distance field: commit the field
};

// The key filter: key is the character code (8 Backspace, 13 Enter); text and the current
// selection (start counted from 0, length) decide the "." rule.
KeyDecision filterKey(KeyFilter filter, int key, std::string_view text, int selStart,
                      int selLength);

}  // namespace k7
