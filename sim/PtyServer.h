#pragma once
// Serves a simulated bus on a pseudo-terminal in real time: bytes the client writes enter the
// bus as they are read, and the bus's bytes are written to the master at their arrival times,
// which gives true 19200-baud pacing. Sleeps in ppoll until input or the next byte is due.
#include <csignal>

#include "link/Clock.h"
#include "sim/Pty.h"
#include "sim/SimBus.h"

namespace k7::sim {

// Returns once `stop` is set. `waitMask` is the signal mask while sleeping: keep the stop
// signals blocked outside and unblocked in it, so a signal cannot slip in between the check
// and the sleep. Bytes the client does not read are lost when the pty's buffer is full, as on
// an overrun port. Throws std::system_error when the pty fails.
void servePty(Pty& pty, SimBus& bus, Clock& clock, const volatile std::sig_atomic_t& stop,
              const sigset_t* waitMask);

}  // namespace k7::sim
