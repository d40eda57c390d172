#pragma once
// k7700-cli echo: one sensor's acoustic record, captured as the acoustic display captures it
// (and the sensor restarted after it), into an acoustic data file, or CSV for a .csv name;
// with --analyze, its analysis too.
#include <iosfwd>
#include <optional>
#include <string>

#include "acoustic/EchoRecord.h"
#include "app/CliAnalyze.h"
#include "link/Clock.h"
#include "link/LinkUi.h"
#include "link/SerialLine.h"

namespace k7 {

struct EchoCommand {
    std::string file;
    Gain gain = Gain::Switching;
    int unit = 1;                           // of the CSV's distances: 0 cm, 1 in, 2 ft, 3 m
    std::optional<AnalyzeOptions> analyze;  // print the analysis (unit and threshold: as above)
};

// "normal", "low", "high" -> the gain; nullopt for anything else.
std::optional<Gain> gainNamed(const std::string& name);

// Talks to the sensor `ui` addresses. Exit status: 0 written, 1 sensor, line or file failure
// (or, when analysed, a margin below the minimum asked for).
int runEcho(SerialLine& line, Clock& clock, LinkUi& ui, const EchoCommand& command,
            std::ostream& out, std::ostream& err);

}  // namespace k7
