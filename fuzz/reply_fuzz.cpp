// The link's reply reader against whatever a line may deliver: any bytes, at any pace, with
// or without an echo of the request. A reply taken must be a good frame and never the echo;
// nothing may crash, hang or read past what arrived.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <utility>

#include "link/Clock.h"
#include "link/Commands.h"
#include "link/Link.h"

namespace {

// A line that hands over the fuzz input as its received bytes, one every `gapUs`, from the
// moment the first request is written.
class ScriptedLine final : public k7::SerialLine {
public:
    ScriptedLine(k7::VirtualClock& clock, const std::uint8_t* data, std::size_t size,
                 std::int64_t gapUs)
        : clock_(clock) {
        for (std::size_t i = 0; i < size; ++i) {
            script_.emplace_back(static_cast<std::int64_t>(i) * gapUs, data[i]);
        }
    }
    void open(const std::string&, const std::string&) override {}
    void close() override {}
    bool isOpen() const override { return true; }
    int bytesWaiting() override {
        int n = 0;
        for (const auto& [t, b] : arrived()) {
            (void)b;
            if (t > clock_.nowUs()) break;
            ++n;
        }
        return n;
    }
    void discardInput() override {
        while (!queue_.empty() && queue_.front().first <= clock_.nowUs()) queue_.pop_front();
    }
    void write(std::span<const std::uint8_t>) override {
        if (started_) return;
        started_ = true;
        for (auto& [t, b] : script_) queue_.emplace_back(t + clock_.nowUs(), b);
    }
    std::optional<std::uint8_t> readByte() override {
        if (queue_.empty() || queue_.front().first > clock_.nowUs()) return std::nullopt;
        const std::uint8_t b = queue_.front().second;
        queue_.pop_front();
        return b;
    }
    bool waitForBytes(int count, std::int64_t deadlineUs) override {
        if (count <= 0) return true;
        const auto& q = arrived();
        if (static_cast<std::size_t>(count) <= q.size()) {
            const std::int64_t when = q[static_cast<std::size_t>(count) - 1].first;
            if (when <= deadlineUs) {
                clock_.sleepUntil(when);
                return true;
            }
        }
        clock_.sleepUntil(deadlineUs);
        return false;
    }
    void reopen() override {}

private:
    const std::deque<std::pair<std::int64_t, std::uint8_t>>& arrived() const { return queue_; }
    k7::VirtualClock& clock_;
    std::deque<std::pair<std::int64_t, std::uint8_t>> script_;
    std::deque<std::pair<std::int64_t, std::uint8_t>> queue_;
    bool started_ = false;
};

class QuietUi final : public k7::LinkUi {
public:
    std::string addressedTagText() override { return "5"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    k7::VirtualClock clock;
    ScriptedLine line(clock, data + 1, size - 1, 100 + (mode & 0x0F) * 150);
    QuietUi ui;
    k7::Link link(line, clock, ui);
    link.eepromReadAddress = 79;
    link.sendRequest(k7::cmd::ReadEeprom);
    if (mode & 0x10) {
        const auto stream = link.readStream(64, clock.nowUs() + 200'000);
        if (stream.size() > 64) std::abort();
        return 0;
    }
    const bool probe = mode & 0x20;
    k7::ReadOptions options{.quiet = true, .attempts = 3};
    if (probe) options.onlyTag = 5;
    if (link.readReply(options)) {
        k7::Frame got{};
        for (std::size_t i = 0; i < 6; ++i) {
            if (!link.lastReply[i]) std::abort();
            got[i] = *link.lastReply[i];
        }
        if (!k7::replyIsGood(got) || got == link.lastRequest) std::abort();
        if (probe && got[0] != 5) std::abort();
        if (link.replyWord45 != 256 * got[3] + got[4]) std::abort();
    }
    return 0;
}
