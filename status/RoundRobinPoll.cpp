#include "status/RoundRobinPoll.h"

#include <algorithm>

#include "link/Commands.h"
#include "link/Discovery.h"
#include "settings/EepromMap.h"
#include "settings/SensorTypes.h"

namespace k7 {
namespace {

constexpr ReadOptions kAsk{.quiet = true, .attempts = RoundRobinPoll::kAttempts};
constexpr ReadOptions kAskSilent{.quiet = true, .attempts = RoundRobinPoll::kSilentAttempts};

}  // namespace

RoundRobinPoll::RoundRobinPoll(Link& link, const DistanceFormats& formats, std::int64_t periodUs)
    : link_(link), formats_(formats), periodUs_(periodUs) {}

void RoundRobinPoll::setTags(const std::vector<int>& tags) {
    std::vector<SensorRow> rows;
    for (int tag : tags) {
        const auto known = std::find_if(rows_.begin(), rows_.end(),
                                        [tag](const SensorRow& r) { return r.tag == tag; });
        if (known != rows_.end()) {
            rows.push_back(*known);
        } else {
            SensorRow& r = rows.emplace_back();
            r.tag = tag;
            r.formats = formats_;
        }
    }
    rows_ = std::move(rows);
}

const SensorRow* RoundRobinPoll::row(int tag) const {
    for (const SensorRow& r : rows_) {
        if (r.tag == tag) return &r;
    }
    return nullptr;
}

void RoundRobinPoll::reidentify(int tag) {
    for (SensorRow& r : rows_) {
        if (r.tag == tag) r.identified = false;
    }
}

std::int64_t RoundRobinPoll::nextDueUs() const {
    std::int64_t due = INT64_MAX;
    for (const SensorRow& r : rows_) due = std::min(due, r.dueUs);
    return due;
}

std::optional<std::size_t> RoundRobinPoll::step() {
    if (rows_.empty() || link_.programEnding) return std::nullopt;
    const auto next =
        std::min_element(rows_.begin(), rows_.end(),
                         [](const SensorRow& a, const SensorRow& b) { return a.dueUs < b.dueUs; });
    const std::int64_t now = link_.clock().nowUs();
    if (next->dueUs > now) return std::nullopt;
    const Link::Hold held = link_.holdInBackground();
    if (!held) return std::nullopt;
    SensorRow& r = *next;
    if (!r.identified) {
        if (identify(r)) {
            r.silent = false;
            r.missedExchanges = r.missedRequests = 0;
            r.dueUs = link_.clock().nowUs();  // a sensor just identified is read at once
        } else {
            missed(r, now);
        }
    } else {
        // The next turn counts from this one's start: a short line is read at the poll's
        // pace, a full one back to back.
        r.dueUs = now + periodUs_;
        readStatus(r);
    }
    return static_cast<std::size_t>(next - rows_.begin());
}

bool RoundRobinPoll::identify(SensorRow& r) {
    const ReadOptions& ask = r.silent ? kAskSilent : kAsk;
    auto cell = [&](int address) -> std::optional<int> {
        link_.eepromReadAddress = static_cast<std::uint8_t>(address);
        if (!link_.exchangeWith(r.tag, cmd::ReadEeprom, ask)) return std::nullopt;
        return link_.dataByte(1);
    };
    auto word = [&](int address) -> std::optional<int> {
        if (!cell(address)) return std::nullopt;
        return link_.replyWord45;
    };
    if (!link_.exchangeWith(r.tag, cmd::SensorType, ask)) return false;
    const int type = link_.dataByte(0);
    if (!link_.exchangeWith(r.tag, cmd::FirmwareVersion, ask)) return false;
    const int firmware = link_.dataByte(0);
    std::uint32_t serial = 0;
    for (int a : {addr::SerialHigh, addr::SerialMid, addr::SerialLow}) {
        const auto b = cell(a);
        if (!b) return false;
        serial = serial * 256 + static_cast<std::uint32_t>(*b);
    }
    const SensorTypeInfo info = sensorTypeInfo(type);
    CurrentLoop loop;
    if (!info.slow) {
        const auto d4 = word(addr::Dist04), d20 = word(addr::Dist20);
        const auto span = cell(addr::OutputSpan), noTarget = cell(addr::NoTargetCurrent);
        if (!d4 || !d20 || !span || !noTarget) return false;
        // The stored distances as the screen holds them: Inches = Stored / 128.
        loop = {*d4 / 128.0, *d20 / 128.0, *span & 1, *noTarget & 7};
    }
    r.type = type;
    r.firmware = firmware;
    r.serial = serial;
    r.slow = info.slow;
    r.loop = loop;
    r.formats.resetForSensor(info.family95kHz);
    r.identified = true;
    r.lastSeen = link_.clock().secondsSinceMidnight();
    return true;
}

std::string RoundRobinPoll::silence(const SensorRow& r) {
    return "no reply to " + std::to_string(r.missedRequests) + " requests in a row";
}

void RoundRobinPoll::missed(SensorRow& r, std::int64_t nowUs) {
    r.missedRequests += r.silent ? kSilentAttempts : kAttempts;
    r.silent = ++r.missedExchanges >= kMissesBeforeSilent;
    // Until then it is asked again at its next turn.
    r.dueUs = r.silent ? link_.clock().nowUs() + kSilentRetryUs : nowUs + periodUs_;
}

void RoundRobinPoll::readStatus(SensorRow& r) {
    const std::int64_t now = link_.clock().nowUs();
    if (!link_.exchangeWith(r.tag, cmd::Status, r.silent ? kAskSilent : kAsk)) {
        missed(r, now);
        return;
    }
    StatusReading reading =
        decodeReading(link_.replyStatus(), link_.replyWord34, link_.dataByte(1), link_.dataByte(2),
                      r.type, r.slow, r.loop, r.reading ? r.reading->inches : 0);
    if (reading.kind == StatusReading::Kind::Ignored) return;
    reading.tag = r.tag;
    reading.timeOfDay = link_.clock().secondsSinceMidnight();
    reading.timeUs = link_.clock().nowUs();
    r.reading = reading;
    r.lastSeen = reading.timeOfDay;
    r.silent = false;
    r.missedExchanges = r.missedRequests = 0;
    ++r.readings;
}

std::vector<int> RoundRobinPoll::search() {
    std::vector<int> found;
    {
        const Link::Hold held = link_.hold();
        if (!held) return {};
        for (int tag = 1; tag <= 32 && !link_.programEnding; ++tag) {
            if (answersProbe(link_, tag)) found.push_back(tag);
            link_.processEvents();
        }
    }
    std::vector<int> tags = found;
    for (const SensorRow& r : rows_) {
        if (std::find(found.begin(), found.end(), r.tag) == found.end()) tags.push_back(r.tag);
    }
    std::sort(tags.begin(), tags.end());
    setTags(tags);
    for (SensorRow& r : rows_) {
        if (std::find(found.begin(), found.end(), r.tag) == found.end()) r.silent = true;
    }
    return found;
}

}  // namespace k7
