#pragma once
// The line for one step of a service tool. Empty, with a beep, when another exchange holds it:
// the tool then sends nothing, so no frame of its own and no status frame are interleaved.
#include "link/Link.h"

namespace k7 {

[[nodiscard]] inline Link::Hold lineForTool(Link& link) {
    Link::Hold held = link.hold();
    if (!held) link.ui().beep();
    return held;
}

}  // namespace k7
