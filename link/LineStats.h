#pragma once
// What the link has seen on the line, per ID tag and for the line as a whole: a technician
// finds a bad joint on a multi-drop line by the tags that show errors, and an adapter that
// echoes by its echo count.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k7 {

struct TagHealth {
    std::uint64_t exchanges = 0;         // reads started
    std::uint64_t badReplies = 0;        // complete replies refused (checksum, tag 0 or over 32)
    std::uint64_t timeouts = 0;          // attempts without a complete reply in time
    std::uint64_t resends = 0;           // request copies sent again
    std::uint64_t verifyRetries = 0;     // EEPROM writes sent again after a wrong read-back
    std::uint64_t failures = 0;          // reads that gave up
    std::optional<double> lastAnswered;  // seconds since midnight of the last good reply
};

struct LineStats {
    std::array<TagHealth, 33> tags{};     // index = ID tag 1..32; 0 collects anything else
    std::uint64_t echoes = 0;             // copies of our own request handed back by the adapter
    std::uint64_t lateCopiesDropped = 0;  // bytes of replies to re-sent copies, dropped
    std::uint64_t foreignReplies = 0;     // replies from another tag while probing one, or
                                          // owed by another tag to an earlier request
    std::uint64_t leftovers = 0;          // replies too soon or too late for any open request
    std::uint64_t nestedRefused = 0;      // exchanges refused because the line was held
    std::vector<std::string> notes;       // one-off remarks about the line (low latency, loss)

    TagHealth& tag(int t) { return tags[t >= 1 && t <= 32 ? static_cast<std::size_t>(t) : 0]; }
    const TagHealth& tag(int t) const { return const_cast<LineStats*>(this)->tag(t); }
    void note(const std::string& text) {
        if (notes.size() < 50) notes.push_back(text);
    }
};

}  // namespace k7
