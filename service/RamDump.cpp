#include "service/RamDump.h"

#include <cstdio>

#include "common/TextFile.h"
#include "link/Commands.h"
#include "service/ToolLine.h"

namespace k7 {
namespace {

// The beep that tells the technician the dump is coming through: after the line for 33.
constexpr std::size_t kBeepAfterAddress = 33;

}  // namespace

std::string ramDumpText(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 9);
    char line[32];
    for (std::size_t a = 0; a < bytes.size(); ++a) {
        std::snprintf(line, sizeof line, "%3zX %3X\r\n", a, static_cast<unsigned>(bytes[a]));
        text += line;
    }
    return text;
}

RamDumpResult dumpRamToFile(Link& link, StatusPoll& poll, const std::string& path) {
    using Outcome = RamDumpResult::Outcome;
    RamDumpResult r;
    const Link::Hold held = lineForTool(link);
    if (!held) return r;
    const PollPause pause(poll);
    link.sendRequest(cmd::RamDump);
    const auto bytes = link.readStream(kRamDumpBytes, link.clock().nowUs() + kRamDumpWaitUs);
    r.received = bytes.size();
    if (link.programEnding) {
        r.outcome = Outcome::Stopped;
        return r;
    }
    if (bytes.size() > kBeepAfterAddress) link.ui().beep();
    if (bytes.size() < static_cast<std::size_t>(kRamDumpBytes)) {
        r.outcome = Outcome::Short;
        return r;
    }
    r.outcome =
        writeTextFile(path, ramDumpText(bytes), &r.error) ? Outcome::Saved : Outcome::WriteFailed;
    return r;
}

std::string ramDumpShortMessage(std::size_t received, const std::string& path) {
    return "The sensor sent " + std::to_string(received) + " of the " +
           std::to_string(kRamDumpBytes) + " bytes of its RAM dump. " + path + " was not changed.";
}

}  // namespace k7
