#pragma once
// The sensor processor's RAM dump (command 120): 512 raw bytes, one line each in PICRAM.txt.
#include <cstdint>
#include <span>
#include <string>

#include "link/Link.h"
#include "status/StatusPoll.h"

namespace k7 {

inline constexpr const char* kRamDumpFile = "PICRAM.txt";
// The dump takes about 0.27 s at 19200 baud; a second is plenty for any sensor that answers.
inline constexpr std::int64_t kRamDumpWaitUs = 1'000'000;

// One line per byte: the address and the byte in upper-case hexadecimal, each right-aligned
// in three characters, a blank between them ("  0  1F"), CR LF after each.
std::string ramDumpText(std::span<const std::uint8_t> bytes);

struct RamDumpResult {
    enum class Outcome { Saved, Busy, Short, WriteFailed, Stopped };
    Outcome outcome = Outcome::Busy;
    std::size_t received = 0;
    std::string error;  // WriteFailed: the system's words
};

// With the line held and the status poll paused: 120, the 512 bytes (waiting at most
// kRamDumpWaitUs on the link's clock), then the file, replaced only by a complete dump.
RamDumpResult dumpRamToFile(Link& link, StatusPoll& poll, const std::string& path);

// What to tell the user about a short dump: how much came, and that the file stayed.
std::string ramDumpShortMessage(std::size_t received, const std::string& path);

}  // namespace k7
