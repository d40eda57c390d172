#include "app/CliPublish.h"

#include <ostream>

#include "gateway/BrokerConnection.h"
#include "gateway/LinePublisher.h"

namespace k7 {

int runPublish(Link& link, const PublishCommand& c, LogStop& stop, std::ostream& out,
               std::ostream& err) {
    const PublishSettings& s = c.settings;
    // Made while the stop signals are held back, so its thread never takes them.
    BrokerConnection broker(s, s.base() + "/status");
    LinePublisher publisher(link,
                            {s.prefix, s.line, c.distanceUnit, s.homeAssistant,
                             std::int64_t{c.intervalMs} * 1000},
                            broker);
    publisher.setTags(c.tags);
    out << "publishing " << c.tags.size() << (c.tags.size() == 1 ? " sensor" : " sensors")
        << " to " << s.broker.url << " under " << s.base() << "/ (Ctrl-C or SIGTERM ends)"
        << std::endl;

    std::vector<bool> reported(c.tags.size(), false);
    int status = 0;
    auto sayNews = [&] {
        for (const std::string& news : broker.takeNews()) err << "k7700-cli: " << news << "\n";
    };
    while (!stop.requested() && !link.programEnding) {
        sayNews();
        if (const auto refused = broker.refusal()) {
            err << "k7700-cli: " << *refused << "\n";
            status = 1;
            break;
        }
        if (link.line().deviceLost()) {
            err << "k7700-cli: the serial device went away: " << link.line().lossReason() << "\n";
            status = 1;
            break;
        }
        if (!publisher.step()) {
            stop.waitUntil(link.clock(), publisher.nextDueUs());
            continue;
        }
        for (std::size_t i = 0; i < reported.size(); ++i) {
            bool said = reported[i];
            reportSilence(publisher.poll().rows()[i], said, err);
            reported[i] = said;
        }
    }
    broker.finish(std::chrono::seconds(2));
    sayNews();
    out << publisher.readingsPublished() << " readings published to " << s.broker.url << "\n";
    return status;
}

}  // namespace k7
