#pragma once
// One request frame out, one reply frame back: building requests for the command table,
// waiting for and checking replies, re-sending, the verified EEPROM write, the waits, the
// progress counters and the comm history. Runs to completion on the caller's thread and lets
// pending window events run only at the fixed points the protocol allows.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/Clock.h"
#include "link/CommHistory.h"
#include "link/Frame.h"
#include "link/LinkUi.h"
#include "link/SerialLine.h"

namespace k7 {

inline constexpr std::int64_t kReplyTimeoutUs = 75'000;
inline constexpr const char* kVerifyFailedMessage = "Comm verification failed on EEPROM write";

class Link {
public:
    Link(SerialLine& line, Clock& clock, LinkUi& ui) : line_(line), clock_(clock), ui_(ui) {}
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    SerialLine& line() { return line_; }
    Clock& clock() { return clock_; }
    LinkUi& ui() { return ui_; }

    // --- exchange state ---
    Frame CommBlockOut{};                                      // the last request built
    std::array<std::optional<std::uint8_t>, 6> CommBlockIn{};  // the last reply read
    double LastSendTime = 0;                                   // seconds since midnight
    std::uint8_t CommOK = 0;
    std::int32_t ReplyWord34 = 0;
    std::int32_t ReplyWord45 = 0;
    std::uint8_t EEReadAddress = 0;
    // Parameter block of command 103 (and of 126): decimal texts, kept for the whole run.
    std::string WriteEEAdr = "105";
    std::string WriteEEdata = "100";
    std::uint8_t ProgressDone = 0;
    std::uint8_t ProgressTotal = 0;
    CommHistory history;

    // --- mode flags set by the other parts of the program ---
    bool QuickFail = false;             // sensor search: give up after 2 attempts
    bool SuppressNoCommWindow = false;  // one read only: give up quietly
    bool SlowSensor = false;            // 120 attempts; restart waits twice as long
    bool SkipWriteVerify = false;       // 103 without read-back
    bool CurrentCalActive = false;      // data byte 1 of 121
    bool FineCalibrationStep = false;   // calibration step 1 instead of 10
    bool ThresholdProgressActive = false;
    bool StatusPollBusy = false;  // a status exchange is in flight (offers Retry)
    bool ErrorBeep = true;
    std::uint8_t ScopeGainSelect = 0;
    std::uint8_t SensorClass = 0;  // 60: a silent sensor is retried for ever

    // Set when the program is ending: nothing more goes on the line and reads return at once.
    bool ProgramEnding = false;

    void SendRequest(int command);
    void Send6();
    void ReadCommBlock();
    // Waits at least 60 ms; a smaller request is raised to 60 in the caller's variable.
    void WaitMilliseconds(float& ms);
    void waitMs(float ms) { WaitMilliseconds(ms); }

    // Reply data bytes 0..2 (reply bytes 3..5), 0 when missing.
    std::uint8_t dataByte(int n) const;
    std::uint8_t replyStatus() const;

    // Ends the program through the window layer (ExitProgram).
    void endProgram();
    // Progress step after an EEPROM transfer while the progress window shows.
    void advanceProgress();

private:
    void send(const Frame& request);
    void verifiedWrite();
    bool readOneReply();  // one attempt: true when a good reply was taken

    SerialLine& line_;
    Clock& clock_;
    LinkUi& ui_;
    std::int64_t lastSendUs_ = 0;
};

}  // namespace k7
