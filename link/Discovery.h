#pragma once
// Choosing and opening the port, and searching ID tags 1..32 for the sensors on it.
#include <vector>

#include "link/Link.h"
#include "link/PortNames.h"

namespace k7 {

inline constexpr const char* kSelectPortMessage =
    "Select a Communications port (serial port) below:";

struct DiscoveryState {
    PortChoice port;  // CommPortNumber, or a named device
    int sensorCount = 0;
    int currentIdTag = 0;    // the tag the selected sensor answers to
    bool oneSensor = false;  // stop the search at the first sensor
    bool acousticCapable = false;
    std::vector<int> found;     // tags found, ascending
    std::string lastOpenError;  // why the port last failed to open, in the system's words
};

// "Communications port N is unavailable. ..." for a port that failed to open.
std::string portUnavailableMessage(const PortChoice& port);

// What the progress window says once a whole search found no sensor.
std::string noSensorAnsweredMessage(const PortChoice& port);

// The documented search asks each tag twice.
inline constexpr int kProbeAttempts = 2;

// One quiet probe of a tag (its ID cell, no window, only that tag's reply): true when it
// answers. The ID field then names the tag, so what follows goes to it.
bool probeTag(Link& link, int tag, int attempts = kProbeAttempts);
// The same probe, leaving the ID field as it is (a look along the line from another window).
bool answersProbe(Link& link, int tag, int attempts = kProbeAttempts);

// Asks for a port when none is chosen, then opens it, asking again after every failed open.
// False when the user chose to end the program.
bool chooseAndOpenPort(Link& link, DiscoveryState& d);

enum class SearchResult { Found, NewPortRequested, Ending };

// One search of tags 1..32, repeated while nothing answers. Fills the sensor list and selects
// the first sensor found.
SearchResult searchForSensors(Link& link, DiscoveryState& d);

// Port, then search; a new port chosen from the progress window leads to another search.
// False when the program is ending.
bool connectToSensors(Link& link, DiscoveryState& d);

}  // namespace k7
