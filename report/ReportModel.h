#pragma once
// The commissioning report's content, one page a sensor, as sections of label/value rows: what
// the page says, built from the program state without the toolkit. ReportPdf paints it.
#include <optional>
#include <string>
#include <vector>

#include "acoustic/EchoAnalysis.h"
#include "settings/ProgramState.h"
#include "settings/RunRecord.h"
#include "settings/ScreenValues.h"
#include "status/StatusDecode.h"

namespace k7 {

inline constexpr const char* kReportTitle = "K-7700 Commissioning Report";

struct ReportRow {
    std::string label;
    std::string value;  // may hold several lines
};

struct ReportSection {
    std::string title;
    std::vector<ReportRow> rows;
};

struct ReportPage {
    int tag = 0;
    bool answered = false;
    std::string heading;                  // "ID Tag 3: G615"
    std::string dateTime;                 // when the page was made
    std::vector<ReportSection> sensor;    // identity, live reading, programming, line health
    std::vector<ReportSection> settings;  // the main screen's groups
    std::optional<CapturedEcho> echo;     // the last record captured in this run
    std::string echoCaption;
    std::optional<EchoAnalysis> echoAnalysis;  // of that record, in the page's unit
    int distanceUnit = kIn;
};

// What one sensor told the report besides its settings (which m and screen hold after a
// settings read of it).
struct SensorAnswers {
    std::optional<int> firmware;
    StatusView status;  // Ignored when the status request went unanswered
};

// The settings read into m and screen as the page shows them: the main screen's groups, each
// setting with its value in m's display unit.
std::vector<ReportSection> settingsSummary(const ProgramState& m, const ScreenValues& screen);

// The page of a sensor whose settings were read into m and screen.
ReportPage sensorPage(const ProgramState& m, const ScreenValues& screen,
                      const SensorAnswers& answers, int tag, const std::string& dateTime);

// The page of a sensor that did not answer: says so, with its line health.
ReportPage silentSensorPage(const ProgramState& m, int tag, const std::string& dateTime);

// Reads one sensor on the line m works on (probe, settings, firmware, one status reading) and
// makes its page. Holds the line for the whole of it; a sensor that does not answer the probe
// gets the silent page without any window.
ReportPage reportSensor(ProgramState& m, int tag, const std::string& dateTime);

}  // namespace k7
