#include "link/Link.h"

#include <algorithm>
#include <exception>
#include <tuple>

#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "link/Commands.h"

namespace k7 {
namespace {

// Two byte times at 19200 baud: a line this long without a byte has finished a reply.
constexpr std::int64_t kQuietGapUs = 1'100;
// How long the line may keep babbling before a re-send goes out anyway.
constexpr std::int64_t kQuietLimitUs = 50'000;
// Every wait lets window events run this often (the window never stops answering for
// longer than 100 ms), and moves the sensitivity bar this often while it shows.
constexpr std::int64_t kEventsEveryUs = 50'000;
constexpr std::int64_t kProgressEveryUs = 20'000;
constexpr std::int64_t kRestartUs = 1'500'000;  // twice this for the slow sensor

bool isRequestFrame(const Frame& f) {
    return f[0] == kStartByte && frameChecksum(f) == f[5];
}

bool startsWithEcho(const std::vector<std::uint8_t>& bytes, bool lineEchoes, const Frame& request) {
    if (bytes.size() < 6) return false;
    Frame f{};
    std::copy(bytes.begin(), bytes.begin() + 6, f.begin());
    return f == request || (lineEchoes && isRequestFrame(f));
}

int attemptLimit(const Link& l, const ReadOptions& o) {
    if (o.attempts > 0) return o.attempts;
    if (l.quickFail) return 2;
    if (l.slowSensor) return 120;
    return 10;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Holding the line

Link::Hold& Link::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        link_ = other.link_;
        other.link_ = nullptr;
    }
    return *this;
}

void Link::Hold::release() {
    if (link_ && --link_->holders_ == 0) link_->background_ = false;
    link_ = nullptr;
}

bool Link::busy() const {
    return holders_ > 0 && eventLevel() != holdLevel_;
}

Link::Hold Link::hold() {
    if (busy()) return {};
    if (holders_++ == 0) {
        holdLevel_ = eventLevel();
        lastEventsUs_ = clock_.nowUs();  // the claim is made from the event loop
    }
    return Hold(this);
}

Link::Hold Link::holdInBackground() {
    const bool outermost = holders_ == 0;
    Hold held = hold();
    if (held && outermost) background_ = true;
    return held;
}

bool Link::refuseNested() {
    if (!busy()) return false;
    ++stats.nestedRefused;
    return true;
}

auto Link::exchangeState() {
    return std::tie(lastRequest, lastReply, replyOk, replyWord34, replyWord45, eepromReadAddress,
                    writeEepromAddress, writeEepromData, suppressNoCommWindow, quickFail,
                    skipWriteVerify, statusPollBusy, lastSendUs_, lastSendTime);
}

template <typename F>
void Link::letEventsRun(F&& f) {
    // Whatever runs in there cannot use the line, but it can touch the link's fields: a holder
    // gets its exchange back as it left it.
    const bool held = holders_ > 0;
    const auto saved =
        std::apply([](const auto&... v) { return std::make_tuple(v...); }, exchangeState());
    struct Depth {
        int& n;
        explicit Depth(int& d) : n(++d) {}
        ~Depth() { --n; }
    } depth(eventsDepth_);
    f();
    if (held) exchangeState() = saved;
}

void Link::processEvents() {
    letEventsRun([this] {
        if (background_) {
            ui_.processEventsExceptInput();
        } else {
            ui_.processEvents();
        }
    });
    lastEventsUs_ = clock_.nowUs();
}

void Link::keepWindowAnswering() {
    if (holders_ > 0 && !busy() && clock_.nowUs() - lastEventsUs_ >= kEventsEveryUs) {
        processEvents();
    }
}

Link::~Link() {
    letLateAnswersPass();
}

void Link::letLateAnswersPass() {
    if (line_.deviceLost() || !line_.isOpen()) return;
    const std::int64_t settled = timing.settledAtUs(clock_.nowUs());
    if (settled > clock_.nowUs()) clock_.sleepUntil(settled);
}

void Link::reportError(const std::string& where, const std::exception& e) {
    const auto* re = dynamic_cast<const RuntimeError*>(&e);
    letEventsRun([&] { ui_.reportError(where, re ? re->number() : kErrDeviceIo, e.what()); });
}

// ---------------------------------------------------------------------------------------------
// Requests

std::uint8_t Link::dataByte(int n) const {
    return lastReply[static_cast<std::size_t>(2 + n)].value_or(0);
}

std::uint8_t Link::replyStatus() const {
    return lastReply[1].value_or(0);
}

void Link::sendRequest(int command) {
    if (programEnding || refuseNested()) return;
    try {
        sendRequestTo(textToByte(ui_.addressedTagText()), command);
    } catch (const std::exception& e) {
        reportError("Module2.SendRequest " + std::to_string(command), e);
    }
}

void Link::sendRequestTo(std::uint8_t tag, int command) {
    if (programEnding || refuseNested()) return;
    const Hold held = hold();
    try {
        if (!isAcceptedCommand(command)) return;  // a foreign code never reaches the line
        Frame f{kStartByte, tag, static_cast<std::uint8_t>(command), 0, 0, 0};
        switch (command) {
            case cmd::RaisePoint2:
            case cmd::LowerPoint2:
            case cmd::RaisePoint3:
            case cmd::LowerPoint3:
            case cmd::RaisePoint4:
            case cmd::LowerPoint4:
            case cmd::RaisePoint1:
            case cmd::LowerPoint1:
                f[3] = fineCalibrationStep ? 1 : 10;
                break;
            case cmd::AcousticData:
                f[3] = scopeGainSelect;
                break;
            case cmd::WriteEeprom:
                lastWriteVerified_ = false;
                lastWriteVerified_ = recordedWrite(f[1], textToByte(writeEepromAddress),
                                                   textToByte(writeEepromData));
                return;
            case cmd::ReadEeprom:
                if (ui_.progressVisible()) advanceProgress();
                f[3] = eepromReadAddress;
                break;
            case cmd::CurrentCalMode:
                f[3] = currentCalActive ? 1 : 0;
                break;
            case cmd::Unlock: {
                double a = leadingNumber(writeEepromAddress);
                f[3] = a < 20 ? kUnlockLowRegion : (a < 30 ? kUnlockMiddleRegion : 0);
                break;
            }
            default:
                break;
        }
        lastRequest = f;
        sendSixBytes();
        if (command == cmd::Restart) restartWait();
    } catch (const std::exception& e) {
        reportError("Module2.SendRequest " + std::to_string(command), e);
    }
}

void Link::sendSixBytes() {
    transmit(true);
}

void Link::transmit(bool newRequest) {
    if (programEnding || refuseNested()) return;
    const Hold held = hold();
    try {
        lastRequest[5] = frameChecksum(lastRequest);
        keepWindowAnswering();
        if (newRequest) awaitOpenCopies(lastRequest[1]);
        if (programEnding) return;
        // Only bytes that arrive after this point count toward the reply. Nothing is dropped
        // after the write: an adapter that echoes hands our frame back whole, and the read
        // knows it for what it is.
        line_.discardInput();
        line_.write(lastRequest);
        lastSendUs_ = clock_.nowUs();
        lastSendTime = clock_.secondsSinceMidnight();
        timing.sent(lastRequest[1], lastSendUs_);
    } catch (const std::exception& e) {
        reportError("Module2.Send6", e);
    }
}

void Link::awaitOpenCopies(int tag) {
    // The tag may still answer copies sent before (a slow sensor, one that takes one request
    // at a time): those answers must be on the line and gone before this request goes out.
    if (!timing.heard(tag)) return;
    const std::int64_t now = clock_.nowUs();
    const std::int64_t settled = timing.settledAtUs(tag, now);
    if (settled <= now) return;
    pauseUntil(settled);
    stats.lateCopiesDropped += static_cast<std::uint64_t>(line_.bytesWaiting());
}

bool Link::exchange(int command, const ReadOptions& options) {
    sendRequest(command);
    return readReply(options);
}

bool Link::exchangeWith(int tag, int command, const ReadOptions& options) {
    sendRequestTo(static_cast<std::uint8_t>(tag), command);
    return readReply(options);
}

bool Link::writeRaw(std::span<const std::uint8_t> bytes, const std::string& where) {
    if (programEnding || refuseNested()) return false;
    const Hold held = hold();
    try {
        line_.write(bytes);
        return true;
    } catch (const std::exception& e) {
        reportError(where, e);
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Replies

Link::Attempt Link::readOneReply(const ReadOptions& options) {
    const int wanted = options.onlyTag.value_or(requestTag());
    const std::int64_t deadline = lastSendUs_ + timing.windowUs(wanted);
    for (;;) {
        if (!awaitBytes(6, deadline)) return Attempt::TimedOut;
        Frame got{};
        for (std::size_t i = 0; i < 6; ++i) {
            lastReply[i] = line_.readByte();
            if (!lastReply[i]) {
                // Counted as waiting but gone: recorded as far as it came, like a time-out.
                HistoryRecord& rec = history.next();
                std::copy(got.begin(), got.begin() + static_cast<long>(i), rec.bytes.begin());
                std::fill(rec.bytes.begin() + static_cast<long>(i), rec.bytes.end(), 0);
                return Attempt::TimedOut;
            }
            got[i] = *lastReply[i];
        }
        if (isRequestFrame(got)) {
            // A request handed back by an adapter that echoes: this one's, or one sent before
            // it whose reply nobody read. No reply can start with 170.
            ++stats.echoes;
            continue;
        }
        HistoryRecord& rec = history.next();
        rec.bytes = got;
        rec.time = static_cast<float>(clock_.secondsSinceMidnight());
        if (!replyIsGood(got)) return Attempt::Bad;
        const std::int64_t now = clock_.nowUs();
        if (got[0] != wanted) {
            // Another tag's answer. It is that tag's late answer to an earlier request when the
            // tag still owes one (or when only the probed tag's reply counts): keep waiting.
            const bool owed = timing.expecting(got[0], now);
            if (owed) timing.answered(got[0], now);
            if (owed || options.onlyTag) {
                ++stats.foreignReplies;
                continue;
            }
            return Attempt::Good;  // taken, as any tag's reply is when none is owed
        }
        if (timing.answered(wanted, now) == AnswerTiming::Match::Leftover) {
            // Too soon for this request, or an answer no copy still open can have given.
            ++stats.leftovers;
            continue;
        }
        return Attempt::Good;
    }
}

bool Link::waitForQuiet(std::int64_t limitUs) {
    for (;;) {
        const std::int64_t now = clock_.nowUs();
        if (now >= limitUs) return false;
        const int seen = line_.bytesWaiting();
        if (!line_.waitForBytes(seen + 1, std::min(limitUs, now + kQuietGapUs))) {
            return clock_.nowUs() < limitUs || line_.bytesWaiting() == seen;
        }
    }
}

void Link::settleBeforeResend(bool heardSomething) {
    // A reply still coming in (a late one, or one a junk byte put out of step) would otherwise
    // end after the discard and put the re-sent copy's reply out of step too. A line with
    // nothing on it costs no wait.
    if (heardSomething || line_.bytesWaiting() > 0) waitForQuiet(clock_.nowUs() + kQuietLimitUs);
    line_.discardInput();
}

NoCommChoice Link::noCommWindow() {
    for (;;) {
        const std::string gone = line_.deviceLost() ? line_.lossReason() : std::string();
        NoCommChoice choice = NoCommChoice::Exit;
        letEventsRun([&] { choice = ui_.showNoCommWindow(statusPollBusy || !gone.empty(), gone); });
        if (choice != NoCommChoice::Retry || programEnding) return choice;
        if (!line_.deviceLost()) return choice;
        try {
            line_.reopen();
            stats.note("The serial device was opened again.");
            return choice;
        } catch (const LineError& e) {
            // Still gone: the window stays until the device is back or the user exits.
            stats.note(std::string("The serial device could not be opened again: ") + e.what());
        }
    }
}

bool Link::readReply(const ReadOptions& options) {
    if (refuseNested()) {
        replyOk = 0;
        return false;
    }
    const Hold held = hold();
    const bool quiet = options.quiet || suppressNoCommWindow;
    try {
        for (;;) {
            replyOk = 0;
            if (programEnding) break;
            TagHealth& health = stats.tag(options.onlyTag.value_or(requestTag()));
            ++health.exchanges;
            const int limit = attemptLimit(*this, options);
            int attempts = 0;
            Attempt result = Attempt::TimedOut;
            for (;;) {
                result = readOneReply(options);
                if (result == Attempt::Good) break;
                ++(result == Attempt::Bad ? health.badReplies : health.timeouts);
                processEvents();
                if (programEnding) break;
                if (++attempts >= limit) break;
                settleBeforeResend(result == Attempt::Bad);
                ++health.resends;
                transmit(false);
            }
            if (result == Attempt::Good) {
                replyWord34 = 256 * dataByte(0) + dataByte(1);
                replyWord45 = 256 * dataByte(1) + dataByte(2);
                replyOk = 1;
                health.lastAnswered = clock_.secondsSinceMidnight();
                break;
            }
            ++health.failures;
            if (programEnding || quiet) break;
            if (line_.deviceLost()) noteLineLoss();
            if (sensorClass == 60 && !line_.deviceLost()) {
                // This model is known to go quiet for a while; keep trying until it answers.
                // The restarted read's first attempt finds its deadline passed and re-sends.
                waitMs(279);
                processEvents();
                continue;
            }
            if (noCommWindow() == NoCommChoice::Retry) continue;
            endProgram();
            break;
        }
    } catch (const std::exception& e) {
        reportError("Module2.ReadCommBlock", e);
        endProgram();
    }
    suppressNoCommWindow = false;
    return replyOk != 0;
}

void Link::noteLineLoss() {
    if (lossNoted_) return;
    lossNoted_ = true;
    stats.note("The serial device went away: " + line_.lossReason());
}

std::vector<std::uint8_t> Link::readStream(std::size_t count, std::int64_t deadlineUs) {
    std::vector<std::uint8_t> out;
    if (programEnding || refuseNested()) return out;
    const Hold held = hold();
    auto readUpTo = [&](std::size_t total) {
        while (out.size() < total) {
            const bool enough = awaitBytes(static_cast<int>(total - out.size()), deadlineUs);
            for (int n = line_.bytesWaiting(); n > 0 && out.size() < total; --n) {
                const auto b = line_.readByte();
                if (!b) break;
                out.push_back(*b);
            }
            if (!enough) return;
        }
    };
    // The stream starts after the adapter's echo of the request (and of any request before
    // it whose reply nobody read, on a line known to echo).
    for (;;) {
        readUpTo(6);
        if (!startsWithEcho(out, stats.echoes > 0, lastRequest)) break;
        out.clear();
        ++stats.echoes;
    }
    readUpTo(count);
    if (out.size() > count) out.resize(count);
    if (out.size() == count) timing.streamAnswered(requestTag());
    return out;
}

// ---------------------------------------------------------------------------------------------
// Waits, writes, progress

void Link::waitMilliseconds(float& ms) {
    if (ms < 60) ms = 60;
    // Held for its length: what the events let through meanwhile cannot use the line between
    // a caller's exchanges.
    const Hold held = hold();
    pauseUntil(clock_.nowUs() + static_cast<std::int64_t>(ms * 1000.0f));
}

std::int64_t Link::sliceUs() const {
    return thresholdProgressActive ? kProgressEveryUs : kEventsEveryUs;
}

void Link::betweenSlices() {
    if (thresholdProgressActive) ui_.updateThresholdProgress();
    if (!busy()) processEvents();
}

bool Link::pauseUntil(std::int64_t untilUs, const std::function<bool()>& eachSlice) {
    for (;;) {
        if (programEnding) return false;
        const std::int64_t now = clock_.nowUs();
        if (now >= untilUs) return true;
        clock_.sleepUntil(std::min(untilUs, now + sliceUs()));
        betweenSlices();
        if (eachSlice && !eachSlice()) return false;
    }
}

bool Link::awaitBytes(int count, std::int64_t deadlineUs) {
    for (;;) {
        const std::int64_t until = std::min(deadlineUs, clock_.nowUs() + sliceUs());
        if (line_.waitForBytes(count, until)) return true;
        if (until >= deadlineUs || programEnding) return false;
        betweenSlices();
    }
}

void Link::restartWait() {
    const std::int64_t start = clock_.nowUs();
    const std::int64_t length = slowSensor ? 2 * kRestartUs : kRestartUs;
    ui_.showRestart(0);
    pauseUntil(start + length, [&] {
        ui_.showRestart(static_cast<int>((clock_.nowUs() - start) * 100 / length));
        return true;
    });
    ui_.showRestart(100);
}

void Link::advanceProgress() {
    ++progressDone;
    if (progressTotal == 0) return;
    int percent = progressDone * 100 / progressTotal;
    if (percent <= 100) ui_.setProgressBar(percent);
    processEvents();
}

bool Link::verifiedWrite(std::uint8_t tag, std::uint8_t address, std::uint8_t value) {
    // Every copy is built from this write's own tag, address and value, so nothing that ran
    // in between can change what goes on the line.
    for (int failures = 0;;) {
        lastRequest = Frame{kStartByte, tag, cmd::WriteEeprom, address, value, 0};
        sendSixBytes();
        if (skipWriteVerify) return !programEnding;
        waitMs(1);
        // The read-back keeps the data bytes: data byte 1 is still the written address.
        lastRequest = Frame{kStartByte, tag, cmd::ReadEeprom, address, value, 0};
        sendSixBytes();
        readReply();
        if (programEnding) return false;
        if (replyOk && dataByte(1) == value) {
            if (ui_.progressVisible()) advanceProgress();
            return true;
        }
        if (++failures >= 10) break;
        ++stats.tag(tag).verifyRetries;
    }
    processEvents();
    ui_.beep();
    ui_.showLinkMessage(kVerifyFailedMessage);
    return false;
}

bool Link::recordedWrite(std::uint8_t tag, std::uint8_t address, std::uint8_t value) {
    std::optional<ChangeScope> ownChange;
    if (!openChange_ && changeSink) ownChange.emplace(*this, "EEPROM write");
    const bool verified = verifiedWrite(tag, address, value);
    using Outcome = CellChange::Outcome;
    const Outcome outcome = programEnding     ? Outcome::Unanswered
                            : skipWriteVerify ? Outcome::Unchecked
                            : verified        ? Outcome::Verified
                                              : Outcome::Failed;
    if (openChange_) openChange_->cellWritten(tag, address, value, outcome);
    return verified;
}

bool Link::writeCell(int address, int value) {
    writeEepromAddress = std::to_string(address);
    writeEepromData = std::to_string(value);
    lastWriteVerified_ = false;
    sendRequest(cmd::WriteEeprom);
    return lastWriteVerified_ && !programEnding;
}

void Link::endProgram() {
    if (programEnding) return;
    programEnding = true;
    ui_.exitProgram();
}

}  // namespace k7
