#include "link/Discovery.h"

#include "link/Commands.h"

namespace k7 {
namespace {

// A probe is quiet and quick, and takes only a reply from the tag it probes: a late answer
// from the tag before cannot make a sensor appear at this one.
ReadOptions probe(int tag, int attempts = kProbeAttempts) {
    return ReadOptions{.quiet = true, .attempts = attempts, .onlyTag = tag};
}

bool openLoop(Link& link, DiscoveryState& d) {
    LinkUi& ui = link.ui();
    for (;;) {
        if (link.programEnding) return false;
        link.line().close();
        try {
            link.line().open(d.port.devicePath(), kLineSettings);
            for (const std::string& note : link.line().takeNotes()) link.stats.note(note);
            return true;
        } catch (const LineError& e) {
            d.lastOpenError = e.what();
        }
        if (link.errorBeep) ui.beep();
        // The system's reason (and, for permissions, what to do) goes under the message.
        if (!ui.choosePort(d.port, portUnavailableMessage(d.port) + "\n\n" + d.lastOpenError)) {
            link.endProgram();
            return false;
        }
    }
}

}  // namespace

std::string portUnavailableMessage(const PortChoice& port) {
    const std::string n = port.numberText();
    // A device is named by its path alone: "Comm /dev/ttyUSB0" would name no port.
    const std::string again = port.device.empty() ? "Comm " + n : n;
    return "Communications port " + n + " is unavailable. " + "Select a Comm port below. " + "If " +
           again + " is selected, it will be re-tried.";
}

std::string noSensorAnsweredMessage(const PortChoice& port) {
    return "No sensor answered on " + port.displayName() +
           " (ID tags 1 to 32); searching again. Check that the sensors are powered, that the "
           "wiring between them and the computer is intact, that no two sensors share an ID "
           "tag, and that the sensors are on this port (Select New Comm Port chooses another).";
}

bool chooseAndOpenPort(Link& link, DiscoveryState& d) {
    if (!d.port.chosen() && !link.ui().choosePort(d.port, kSelectPortMessage)) {
        link.endProgram();
        return false;
    }
    return openLoop(link, d);
}

bool answersProbe(Link& link, int tag, int attempts) {
    link.eepromReadAddress = 45;
    return link.exchangeWith(tag, cmd::ReadEeprom, probe(tag, attempts));
}

bool probeTag(Link& link, int tag, int attempts) {
    link.ui().setAddressedTagText(std::to_string(tag));
    return answersProbe(link, tag, attempts);
}

SearchResult searchForSensors(Link& link, DiscoveryState& d) {
    LinkUi& ui = link.ui();
    for (int pass = 0;; ++pass) {
        ui.clearSensorList();
        d.found.clear();
        link.progressTotal = 32;
        link.progressDone = 0;
        ui.showProgressWindow("Searching for Sensors on " + d.port.displayName(), true);
        if (pass > 0) ui.setProgressNote(noSensorAnsweredMessage(d.port));
        d.acousticCapable = false;
        for (int tag = 1; tag <= 32; ++tag) {
            const bool answered = probeTag(link, tag);
            if (link.programEnding) return SearchResult::Ending;
            if (answered) {
                d.found.push_back(tag);
                ui.addSensorToList(tag);
                if (!d.acousticCapable) {
                    // Quiet like the probe: a sensor that misses this question is simply not
                    // taken as acoustic-capable, instead of ending the program mid-search.
                    if (link.exchange(cmd::FirmwareVersion, probe(tag)) && link.dataByte(0) >= 25) {
                        d.acousticCapable = true;
                    }
                }
                if (d.oneSensor && d.found.size() == 1) break;
            }
            link.progressDone = static_cast<std::uint8_t>(tag);
            const int percent = tag * 100 / 32;
            for (int pass = 0; pass < 2; ++pass) {
                link.processEvents();
                if (link.programEnding) return SearchResult::Ending;
                if (ui.newPortRequested()) {
                    ui.closeProgressWindow();
                    return SearchResult::NewPortRequested;
                }
                if (pass == 0 && percent <= 100) ui.setProgressBar(percent);
            }
        }
        d.sensorCount = static_cast<int>(d.found.size());
        if (!d.found.empty()) break;
    }
    ui.closeProgressWindow();
    ui.setAddressedTagText(std::to_string(d.found.front()));
    d.currentIdTag = d.found.front();
    return SearchResult::Found;
}

bool connectToSensors(Link& link, DiscoveryState& d) {
    const Link::Hold held = link.hold();
    if (!held) return false;
    if (!chooseAndOpenPort(link, d)) return false;
    for (;;) {
        switch (searchForSensors(link, d)) {
            case SearchResult::Found:
                return true;
            case SearchResult::Ending:
                return false;
            case SearchResult::NewPortRequested:
                if (!link.ui().choosePort(d.port, kSelectPortMessage)) {
                    link.endProgram();
                    return false;
                }
                if (!openLoop(link, d)) return false;
                break;
        }
    }
}

}  // namespace k7
