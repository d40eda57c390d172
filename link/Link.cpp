#include "link/Link.h"

#include <algorithm>
#include <exception>

#include "common/RuntimeError.h"
#include "common/VbText.h"
#include "link/Commands.h"

namespace k7 {
namespace {

void report(LinkUi& ui, const std::string& where, const std::exception& e) {
    if (const auto* re = dynamic_cast<const RuntimeError*>(&e)) {
        ui.reportError(where, re->number(), re->what());
    } else {
        ui.reportError(where, kErrDeviceIo, e.what());
    }
}

int attemptLimit(const Link& l) {
    if (l.QuickFail) return 2;
    if (l.SlowSensor) return 120;
    return 10;
}

}  // namespace

std::uint8_t Link::dataByte(int n) const {
    return CommBlockIn[static_cast<std::size_t>(2 + n)].value_or(0);
}

std::uint8_t Link::replyStatus() const {
    return CommBlockIn[1].value_or(0);
}

void Link::SendRequest(int command) {
    if (ProgramEnding) return;
    try {
        if (!isAcceptedCommand(command)) return;  // a foreign code never reaches the line
        Frame f{kStartByte,
                textToByte(ui_.addressedTagText()),
                static_cast<std::uint8_t>(command),
                0,
                0,
                0};
        switch (command) {
            case cmd::RaisePoint2:
            case cmd::LowerPoint2:
            case cmd::RaisePoint3:
            case cmd::LowerPoint3:
            case cmd::RaisePoint4:
            case cmd::LowerPoint4:
            case cmd::RaisePoint1:
            case cmd::LowerPoint1:
                f[3] = FineCalibrationStep ? 1 : 10;
                break;
            case cmd::AcousticData:
                f[3] = ScopeGainSelect;
                break;
            case cmd::WriteEeprom:
                CommBlockOut = f;
                verifiedWrite();
                return;
            case cmd::ReadEeprom:
                if (ui_.progressVisible()) advanceProgress();
                f[3] = EEReadAddress;
                break;
            case cmd::CurrentCalMode:
                f[3] = CurrentCalActive ? 1 : 0;
                break;
            case cmd::Unlock: {
                double a = leadingNumber(WriteEEAdr);
                f[3] = a < 20 ? kUnlockLowRegion : (a < 30 ? kUnlockMiddleRegion : 0);
                break;
            }
            default:
                break;
        }
        CommBlockOut = f;
        Send6();
        if (command == cmd::Restart) {
            waitMs(1500);
            if (SlowSensor) waitMs(1500);
        }
    } catch (const std::exception& e) {
        report(ui_, "Module2.SendRequest " + std::to_string(command), e);
    }
}

void Link::Send6() {
    if (ProgramEnding) return;
    try {
        CommBlockOut[5] = frameChecksum(CommBlockOut);
        line_.discardInput();
        line_.write(CommBlockOut);
        line_.discardInput();
        lastSendUs_ = clock_.nowUs();
        LastSendTime = clock_.secondsSinceMidnight();
    } catch (const std::exception& e) {
        report(ui_, "Module2.Send6", e);
    }
}

bool Link::readOneReply() {
    if (!line_.waitForBytes(6, lastSendUs_ + kReplyTimeoutUs)) return false;
    if (history.index > 200) history.index = 1;
    HistoryRecord& rec = history.records[static_cast<std::size_t>(history.index)];
    for (std::size_t i = 0; i < 6; ++i) {
        CommBlockIn[i] = line_.readByte();
        if (!CommBlockIn[i]) {
            rec.bytes[i] = 0;
            ++history.index;
            return false;
        }
        rec.bytes[i] = *CommBlockIn[i];
    }
    rec.time = static_cast<float>(clock_.secondsSinceMidnight());
    ++history.index;
    return replyIsGood(rec.bytes);
}

void Link::ReadCommBlock() {
    try {
        for (;;) {
            CommOK = 0;
            if (ProgramEnding) break;
            int attempts = 0;
            bool good = false;
            for (;;) {
                if (readOneReply()) {
                    good = true;
                    break;
                }
                ui_.processEvents();
                if (ProgramEnding) break;
                if (++attempts >= attemptLimit(*this)) break;
                Send6();
            }
            if (good) {
                ReplyWord34 = 256 * dataByte(0) + dataByte(1);
                ReplyWord45 = 256 * dataByte(1) + dataByte(2);
                CommOK = 1;
                break;
            }
            if (ProgramEnding || SuppressNoCommWindow) break;
            if (SensorClass == 60) {
                // This model is known to go quiet for a while; keep trying until it answers.
                // The restarted read's first attempt finds its deadline passed and re-sends.
                waitMs(279);
                ui_.processEvents();
                continue;
            }
            if (ui_.showNoCommWindow(StatusPollBusy) == NoCommChoice::Retry) continue;
            endProgram();
            break;
        }
    } catch (const std::exception& e) {
        report(ui_, "Module2.ReadCommBlock", e);
        endProgram();
    }
    SuppressNoCommWindow = false;
}

void Link::WaitMilliseconds(float& ms) {
    if (ms < 60) ms = 60;
    const std::int64_t end = clock_.nowUs() + static_cast<std::int64_t>(ms * 1000.0f);
    if (!ThresholdProgressActive) {
        clock_.sleepUntil(end);
        return;
    }
    // The sensitivity window's bar moves while we wait; 20 ms steps are smooth enough.
    while (clock_.nowUs() < end) {
        ui_.updateThresholdProgress();
        clock_.sleepUntil(std::min(end, clock_.nowUs() + 20'000));
    }
}

void Link::advanceProgress() {
    ++ProgressDone;
    if (ProgressTotal == 0) return;
    int percent = ProgressDone * 100 / ProgressTotal;
    if (percent <= 100) ui_.setProgressBar(percent);
    ui_.processEvents();
}

void Link::verifiedWrite() {
    CommBlockOut[3] = textToByte(WriteEEAdr);
    CommBlockOut[4] = textToByte(WriteEEdata);
    const std::uint8_t value = CommBlockOut[4];
    for (int failures = 0;;) {
        CommBlockOut[2] = cmd::WriteEeprom;
        Send6();
        if (SkipWriteVerify) return;
        waitMs(1);
        CommBlockOut[2] = cmd::ReadEeprom;
        Send6();
        ReadCommBlock();
        if (ProgramEnding) return;
        if (CommOK && dataByte(1) == value) {
            if (ui_.progressVisible()) advanceProgress();
            return;
        }
        if (++failures >= 10) break;
    }
    ui_.processEvents();
    ui_.beep();
    ui_.showLinkMessage(kVerifyFailedMessage);
}

void Link::endProgram() {
    if (ProgramEnding) return;
    ProgramEnding = true;
    ui_.exitProgram();
}

}  // namespace k7
