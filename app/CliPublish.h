#pragma once
// k7700-cli publish: the gateway of one line. Polls the sensors as the line overview does and
// publishes their readings, info and the line's health to an MQTT broker until SIGINT or
// SIGTERM, which say `offline` and disconnect cleanly.
#include <iosfwd>
#include <vector>

#include "app/CliLog.h"
#include "gateway/PublishSettings.h"
#include "link/Link.h"

namespace k7 {

struct PublishCommand {
    PublishSettings settings;
    std::vector<int> tags;
    int intervalMs = 220;
    int distanceUnit = kIn;
};

// Exit status: 0 stopped by a signal; 1 the broker refused the login or could not be verified,
// or the serial device went away.
int runPublish(Link& link, const PublishCommand& c, LogStop& stop, std::ostream& out,
               std::ostream& err);

}  // namespace k7
