#pragma once
namespace k7 {
struct Module2;
// Ends the program: every window hidden and closed (newest first), the port closed, the event
// loops left. Nothing more goes on the line once it has started, except the restart that takes
// a sensor out of its acoustic display mode.
void ExitProgram(Module2& m);
}  // namespace k7
