#include "gateway/LinePublisher.h"

#include <algorithm>

#include "gateway/SensorInfoRead.h"

namespace k7 {

LinePublisher::LinePublisher(Link& link, const LineConfig& config, MessageSink& sink)
    : link_(link),
      config_(config),
      sink_(sink),
      poll_(link, DistanceFormats{}, config.periodUs),
      times_(link.clock()),
      topics_{config.prefix + "/" + config.line},
      nextHealthUs_(link.clock().nowUs() + kHealthUs),
      nextInfoReadUs_(link.clock().nowUs()) {}

void LinePublisher::setTags(const std::vector<int>& tags) {
    poll_.setTags(tags);
    published_.assign(tags.size(), {});
}

bool LinePublisher::step() {
    // A full line always has a sensor due: what is due besides the poll goes first.
    const std::int64_t now = link_.clock().nowUs();
    if (now >= nextHealthUs_) {
        publishHealth();
        nextHealthUs_ = std::max(nextHealthUs_ + kHealthUs, now);
        return true;
    }
    if (const auto i = infoDue(now)) {
        readInfo(*i);
        return true;
    }
    if (const auto i = poll_.step()) {
        afterPoll(*i, link_.clock().nowUs());
        return true;
    }
    return false;
}

std::int64_t LinePublisher::nextDueUs() const {
    std::int64_t due = std::min(poll_.nextDueUs(), nextHealthUs_);
    for (const Published& p : published_) {
        if (p.infoDueUs) due = std::min(due, std::max(*p.infoDueUs, nextInfoReadUs_));
    }
    return due;
}

void LinePublisher::afterPoll(std::size_t i, std::int64_t nowUs) {
    const SensorRow& r = poll_.rows()[i];
    Published& p = published_[i];
    if (p.silent && !r.silent) {
        // Back after a silence: perhaps another sensor in its place, or reprogrammed.
        poll_.reidentify(r.tag);
        p.infoWanted = true;
    }
    if (r.identified && !r.silent && p.infoWanted) {
        p.infoWanted = false;
        p.infoDueUs = nowUs;
    }
    if (!r.reading && !r.silent) return;
    const bool heartbeat = !p.stateAtUs || nowUs - *p.stateAtUs >= kHeartbeatUs;
    if (r.readings == p.readings && r.silent == p.silent && !heartbeat) return;
    p.readings = r.readings;
    p.silent = r.silent;
    std::string values = statePayload(r, config_.distanceUnit, "");
    if (values == p.values && !heartbeat) return;
    p.values = std::move(values);
    p.stateAtUs = nowUs;
    const std::string time = r.reading ? times_.iso(r.reading->timeUs) : "";
    sink_.publish(topics_.state(r.tag), statePayload(r, config_.distanceUnit, time), true);
    ++readingsPublished_;
}

std::optional<std::size_t> LinePublisher::infoDue(std::int64_t nowUs) const {
    if (nowUs < nextInfoReadUs_) return std::nullopt;
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < published_.size(); ++i) {
        const auto& due = published_[i].infoDueUs;
        if (due && *due <= nowUs && (!first || *due < *published_[*first].infoDueUs)) first = i;
    }
    return first;
}

void LinePublisher::readInfo(std::size_t i) {
    const SensorRow& r = poll_.rows()[i];
    Published& p = published_[i];
    const std::optional<SensorInfo> info =
        r.identified && !r.silent ? readSensorInfo(link_, r, config_.distanceUnit) : std::nullopt;
    const std::int64_t now = link_.clock().nowUs();
    nextInfoReadUs_ = now + kInfoGapUs;
    if (!info) {
        // Read again once it answers (afterPoll asks for that when its silence ends).
        p.infoDueUs.reset();
        p.infoWanted = true;
        return;
    }
    p.infoDueUs = now + kInfoRefreshUs;
    std::string payload = infoPayload(*info, config_.distanceUnit);
    if (payload == p.info) return;
    // Changed settings may mean a changed current loop: the poll reads it again.
    if (!p.info.empty()) poll_.reidentify(r.tag);
    p.info = std::move(payload);
    sink_.publish(topics_.info(r.tag), p.info, true);
    if (config_.homeAssistant) {
        for (const auto& [topic, config] :
             homeAssistantConfigs(topics_, config_.line, *info, config_.distanceUnit))
            sink_.publish(topic, config, true);
    }
}

void LinePublisher::publishHealth() {
    std::vector<int> tags;
    for (const SensorRow& r : poll_.rows()) tags.push_back(r.tag);
    const GatewayCounts counts{readingsPublished_, sink_.messagesSkipped(), sink_.brokerOutages()};
    sink_.publish(topics_.health(),
                  healthPayload(link_.stats, tags, times_.iso(link_.clock().nowUs()), counts),
                  false);
}

}  // namespace k7
