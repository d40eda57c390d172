#pragma once
// The echo analysis on the command line: `echo --analyze` for a record just captured,
// `analyze FILE [--baseline FILE]` for saved ones. One tab-separated line a measure, or JSON;
// --min-margin makes the exit status fail a target whose margin is too small.
#include <iosfwd>
#include <optional>
#include <string>

#include "acoustic/EchoRecord.h"

namespace k7 {

struct AnalyzeOptions {
    bool json = false;
    std::optional<double> minMargin;  // counts above the threshold
    int unit = 1;
    int thresholdCode = 5;  // the sensor's (echo), or --threshold (analyze): 5 is the default
};

// A record to analyse, with the temperature of its distance scale and where it came from.
struct SourcedRecord {
    EchoRecord record;
    double kelvin = 293.15;
    std::string source;  // the data file
    std::string date;    // when it was captured, or the file last written
};

// Prints the analysis of `now`, compared with `baseline` when there is one. Exit status 0, or
// 1 when a minimum margin was asked for and the target falls short of it (or there is none).
int printAnalysis(const SourcedRecord& now, const SourcedRecord* baseline,
                  const AnalyzeOptions& options, std::ostream& out, std::ostream& err);

// k7700-cli analyze: saved data files, no sensor. Exit status 1 also for a file that cannot
// be read or is no acoustic data file.
int runAnalyze(const std::string& file, const std::optional<std::string>& baseline,
               const AnalyzeOptions& options, std::ostream& out, std::ostream& err);

// The code of a threshold given in volts as the sensitivity tool shows them ("2.5"), or
// nullopt for none of them.
std::optional<int> thresholdCodeOfVolts(const std::string& volts);

}  // namespace k7
