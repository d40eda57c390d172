#include "gateway/LatestMessages.h"

namespace k7 {

void LatestMessages::wait(const std::string& topic, Entry& e) {
    if (e.waiting) return;
    e.waiting = true;
    order_.push_back(topic);
}

void LatestMessages::put(MqttMessage m) {
    Entry& e = latest_[m.topic];
    if (e.waiting) ++skipped_;
    e.payload = std::move(m.payload);
    e.retain = m.retain;
    wait(m.topic, e);
}

std::optional<MqttMessage> LatestMessages::take() {
    if (order_.empty()) return std::nullopt;
    std::string topic = std::move(order_.front());
    order_.pop_front();
    const auto it = latest_.find(topic);
    Entry& e = it->second;
    e.waiting = false;
    MqttMessage m{topic, e.payload, e.retain};
    // Only what a new connection sends again is kept.
    if (!e.retain) latest_.erase(it);
    return m;
}

void LatestMessages::resendRetained() {
    for (auto& [topic, e] : latest_) {
        if (e.retain) wait(topic, e);
    }
}

}  // namespace k7
