#pragma once
// One request frame out, one reply frame back: building requests for the command table,
// waiting for and checking replies, re-sending, the verified EEPROM write, the waits, the
// progress counters and the comm history. Runs to completion on the caller's thread and lets
// pending window events run only at the fixed points the protocol allows.
//
// One exchange at a time. A caller that needs the line for a sequence holds it (hold()); every
// exchange holds it for its own length. Code that runs while events are let through inside a
// held line (a timer tick, a click) is refused the line: hold() comes back empty, and an
// exchange started there anyway puts nothing on the line and reads nothing.
//
// A reply is only ever taken for the request it answers. A reply does not say which request it
// answers, so the link tells by time (AnswerTiming): a new request to a tag waits until every
// copy sent to that tag before has been answered or can no longer be, a reply that comes
// sooner than its tag can answer is dropped, and a reply from another tag that still owes an
// answer is that tag's, not ours. Before a re-send the link lets a reply in flight end and
// drops it; it skips the echo of its own request that some two-wire adapters hand back.
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/AnswerTiming.h"
#include "link/Clock.h"
#include "link/CommHistory.h"
#include "link/Frame.h"
#include "link/LineStats.h"
#include "link/LinkUi.h"
#include "link/SensorChange.h"
#include "link/SerialLine.h"

namespace k7 {

inline constexpr const char* kVerifyFailedMessage = "Comm verification failed on EEPROM write";

// How one read behaves, where a caller needs something other than the program-wide flags.
struct ReadOptions {
    bool quiet = false;            // give up without the no-communication window
    int attempts = 0;              // 0: the link's rule (10; 120 slow sensor; 2 quick fail)
    std::optional<int> onlyTag{};  // take only replies that carry this tag (a probe)
};

class Link {
public:
    Link(SerialLine& line, Clock& clock, LinkUi& ui) : line_(line), clock_(clock), ui_(ui) {}
    // Lets the answers still owed by the sensors pass first (see letLateAnswersPass).
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    SerialLine& line() { return line_; }
    Clock& clock() { return clock_; }
    LinkUi& ui() { return ui_; }

    // --- exchange state ---
    Frame lastRequest{};                                     // the last request built
    std::array<std::optional<std::uint8_t>, 6> lastReply{};  // the last reply read
    double lastSendTime = 0;                                 // seconds since midnight
    std::uint8_t replyOk = 0;
    std::int32_t replyWord34 = 0;
    std::int32_t replyWord45 = 0;
    std::uint8_t eepromReadAddress = 0;
    // Parameter block of command 103 (and of 126): decimal texts, kept for the whole run.
    std::string writeEepromAddress = "105";
    std::string writeEepromData = "100";
    std::uint8_t progressDone = 0;
    std::uint8_t progressTotal = 0;
    CommHistory history;
    LineStats stats;
    AnswerTiming timing;  // when each tag answers, and what it may still answer

    // --- mode flags set by the other parts of the program ---
    bool quickFail = false;             // sensor search: give up after 2 attempts
    bool suppressNoCommWindow = false;  // one read only: give up quietly
    bool slowSensor = false;            // 120 attempts; restart waits twice as long
    bool skipWriteVerify = false;       // 103 without read-back
    bool currentCalActive = false;      // data byte 1 of 121
    bool fineCalibrationStep = false;   // calibration step 1 instead of 10
    bool thresholdProgressActive = false;
    bool statusPollBusy = false;  // a status exchange is in flight (offers Retry)
    bool errorBeep = true;
    std::uint8_t scopeGainSelect = 0;
    std::uint8_t sensorClass = 0;  // 60: a silent sensor is retried for ever

    // Set when the program is ending: nothing more goes on the line and reads return at once.
    bool programEnding = false;

    // Where the changes made to sensors go (the change history); none when null.
    ChangeSink* changeSink = nullptr;

    // --- the line as a whole ---
    // A claim on the line; the line is free again when the last claim ends.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept : link_(other.link_) { other.link_ = nullptr; }
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { release(); }
        explicit operator bool() const { return link_ != nullptr; }
        void release();

    private:
        friend class Link;
        explicit Hold(Link* link) : link_(link) {}
        Link* link_ = nullptr;
    };
    // Claims the line for a sequence of exchanges. Empty when the line is busy: the caller is
    // running inside events let through by an exchange or sequence further out, and must defer
    // or refuse what it wanted to do. The holder itself may claim again (nested routines).
    [[nodiscard]] Hold hold();
    // The same for a tick of a poll, which the user did not ask for: the events it lets
    // through hold the user's input back until it ends (a click then finds the line free)
    // rather than have it refused. The outermost claim decides.
    [[nodiscard]] Hold holdInBackground();
    // True when hold() would be refused here.
    bool busy() const;
    // Lets pending window events run. Whatever they try on the line is refused, and the
    // exchange state of whoever holds the line is kept as it was.
    void processEvents();
    // Sleeps until no sensor that has answered can still answer a copy sent before, so that
    // whoever uses the line next (another link, another program) meets no stale answer.
    void letLateAnswersPass();

    // --- the protocol's routines ---
    void sendRequest(int command);
    void sendSixBytes();
    // Returns replyOk != 0.
    bool readReply(const ReadOptions& options = {});
    // sendRequest then readReply.
    bool exchange(int command, const ReadOptions& options = {});
    // The same, addressed to `tag` instead of the ID field's tag: for a sequence that visits
    // several sensors without changing the one on screen.
    bool exchangeWith(int tag, int command, const ReadOptions& options = {});
    // Waits at least 60 ms; a smaller request is raised to 60 in the caller's variable.
    void waitMilliseconds(float& ms);
    void waitMs(float ms) { waitMilliseconds(ms); }
    // Every wait of the link, and of the sequences that hold it, goes through here: it sleeps
    // until untilUs on the link's clock in slices of at most 50 ms (20 ms while the
    // sensitivity bar moves), and between slices moves that bar and lets window events run, so
    // the window never stops answering while the line is held. `eachSlice` runs there too and
    // may end the wait early by returning false. False when the wait ended early (or the program
    // is ending). Code that itself runs inside events a holder let through only sleeps.
    bool pauseUntil(std::int64_t untilUs, const std::function<bool()>& eachSlice = {});

    // Verified write of one cell through the parameter block (command 103): true when the
    // cell read back the value (or skipWriteVerify was set and the write went out).
    bool writeCell(int address, int value);
    // Whether the last verified write read back its value.
    bool lastWriteVerified() const { return lastWriteVerified_; }

    // Reads up to `count` raw bytes that follow the last request (the replies of 100 and 120
    // are streams, not frames), until the deadline on the link's clock. The echo of the request
    // is skipped. Returns what arrived.
    std::vector<std::uint8_t> readStream(std::size_t count, std::int64_t deadlineUs);

    // Writes bytes that are no frame (the factory's line test patterns) and reads nothing.
    // False when nothing went out: the program is ending, the line is held elsewhere, or the
    // line failed (reported under `where`).
    bool writeRaw(std::span<const std::uint8_t> bytes, const std::string& where);

    // Reply data bytes 0..2 (reply bytes 3..5), 0 when missing.
    std::uint8_t dataByte(int n) const;
    std::uint8_t replyStatus() const;

    // Ends the program through the window layer (ExitProgram).
    void endProgram();
    // Progress step after an EEPROM transfer while the progress window shows.
    void advanceProgress();

private:
    friend class ChangeScope;
    enum class Attempt { Good, Bad, TimedOut };

    int eventLevel() const { return ui_.eventLoopLevel() + eventsDepth_; }
    // True (and counted) when the caller runs inside events let through by a holder.
    bool refuseNested();
    // The fields an exchange works in, as a tuple of references.
    auto exchangeState();
    // Runs f, which lets window events run; a holder's exchange state survives it.
    template <typename F>
    void letEventsRun(F&& f);
    void reportError(const std::string& where, const std::exception& e);
    bool verifiedWrite(std::uint8_t tag, std::uint8_t address, std::uint8_t value);
    // The verified write, noted in the change open (or in one of its own).
    bool recordedWrite(std::uint8_t tag, std::uint8_t address, std::uint8_t value);
    Attempt readOneReply(const ReadOptions& options);
    void settleBeforeResend(bool heardSomething);
    // Puts lastRequest on the line; a new request (not a re-sent copy) first waits until its
    // tag can no longer answer anything sent before.
    void transmit(bool newRequest);
    void awaitOpenCopies(int tag);
    bool waitForQuiet(std::int64_t deadlineUs);
    // line_.waitForBytes in the slices of pauseUntil.
    bool awaitBytes(int count, std::int64_t deadlineUs);
    std::int64_t sliceUs() const;
    void betweenSlices();
    // Lets window events run when a held line has gone 50 ms without: a sequence of short
    // exchanges waits nowhere long, but adds up.
    void keepWindowAnswering();
    // The wait after a restart (command 119), shown to the user as a step of its own.
    void restartWait();
    NoCommChoice noCommWindow();
    void noteLineLoss();
    int requestTag() const { return lastRequest[1]; }
    void sendRequestTo(std::uint8_t tag, int command);

    SerialLine& line_;
    Clock& clock_;
    LinkUi& ui_;
    std::int64_t lastSendUs_ = 0;
    int holders_ = 0;
    int holdLevel_ = 0;
    bool background_ = false;        // the outermost claim is a poll's tick
    std::int64_t lastEventsUs_ = 0;  // when window events last ran inside a held line
    int eventsDepth_ = 0;
    bool lastWriteVerified_ = true;
    bool lossNoted_ = false;
    ChangeScope* openChange_ = nullptr;
};

}  // namespace k7
