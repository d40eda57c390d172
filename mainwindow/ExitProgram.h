#pragma once
namespace k7 {
struct ProgramState;
// Ends the program: every window hidden and closed (newest first), the port closed, the event
// loops left. Nothing more goes on the line once it has started, except the restart that takes
// a sensor out of its acoustic display mode.
void ExitProgram(ProgramState& m);
}  // namespace k7
