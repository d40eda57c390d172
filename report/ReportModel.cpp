#include "report/ReportModel.h"

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "link/Commands.h"
#include "link/Discovery.h"
#include "link/LineHealth.h"
#include "settings/SensorTypes.h"
#include "settings/SettingsRead.h"
#include "settings/Units.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupScreen.h"

namespace k7 {
namespace {

std::string temperatureText(const ProgramState& m, double celsius) {
    const bool f = m.temperatureUnit == kFahrenheit;
    return formatNumber(f ? celsiusToFahrenheit(celsius) : celsius, "##0.0") + " " +
           kTempUnitName[static_cast<std::size_t>(m.temperatureUnit)];
}

ReportSection liveReading(const ProgramState& m, const StatusView& v) {
    ReportSection s{"LIVE READING", {}};
    switch (v.kind) {
        case StatusView::Kind::Ignored:
            s.rows.push_back({"Status", "no reading: the sensor did not answer the request"});
            return s;
        case StatusView::Kind::Fault:
            s.rows.push_back({"Faults", v.faultText});
            return s;
        case StatusView::Kind::Normal:
            break;
    }
    const bool number = !v.AvgDist.empty() && v.AvgDist.front() != '(';
    s.rows.push_back(
        {"Average Distance",
         v.AvgDist + (number ? kUnitSuffix[static_cast<std::size_t>(m.distanceUnit)] : "")});
    // The readings the main screen shows for the model.
    const ModelScreen shown = modelScreen(m.sensorType);
    if (m.temperatureReceived && shown.temperature) {
        s.rows.push_back({"Temperature", temperatureText(m, m.measuredTemperatureC)});
    }
    if (v.CurrentOut && shown.outputCurrent) {
        s.rows.push_back({"Current OUTPUT", *v.CurrentOut + " mA"});
    }
    s.rows.push_back({"Setpoint OUTPUT A", v.MinOut});
    s.rows.push_back({"Setpoint OUTPUT B", v.MaxOut});
    s.rows.push_back({"Echo Status OUTPUT", v.TargOut});
    if (v.TargetStrength) s.rows.push_back({"Target Strength", *v.TargetStrength + " %"});
    return s;
}

ReportSection programming(const ProgramState& m, int tag) {
    ReportSection s{"LAST PROGRAMMING IN THIS RUN", {}};
    const auto it = m.runRecord.programmed.find(tag);
    if (it == m.runRecord.programmed.end()) {
        s.rows.push_back({"Programmed", "not in this run"});
        return s;
    }
    const ProgrammingOutcome& o = it->second;
    const int failed = static_cast<int>(o.failedCells.size());
    std::string result = o.completed && failed == 0 ? "programmed and verified"
                         : o.completed              ? "cells did not take their values"
                                                    : "stopped: " + o.note;
    s.rows.push_back({"Ended", o.time});
    s.rows.push_back({"Result", result});
    s.rows.push_back({"Cells written", std::to_string(o.cellsWritten)});
    s.rows.push_back({"Cells verified", std::to_string(o.cellsWritten - failed)});
    std::string cells = std::to_string(failed);
    for (std::size_t i = 0; i < o.failedCells.size(); ++i) {
        cells += (i == 0 ? " (cell " : ", ") + std::to_string(o.failedCells[i]);
    }
    s.rows.push_back({"Cells failed", cells + (failed ? ")" : "")});
    return s;
}

// The line-health table's row for the tag, column by column (the tag itself is on the page).
ReportSection lineHealth(const ProgramState& m, int tag) {
    ReportSection s{"LINE HEALTH", {}};
    const std::vector<std::string>& header = lineHealthHeader();
    const std::vector<std::string> row = lineHealthRow(tag, m.link.stats.tag(tag));
    for (std::size_t i = 1; i < header.size(); ++i) s.rows.push_back({header[i], row[i]});
    return s;
}

}  // namespace

std::vector<ReportSection> settingsSummary(const ProgramState& m, const ScreenValues& screen) {
    std::vector<ReportSection> sections;
    const SetupValues values = setupValuesFrom(m, screen);
    for (const CompareRow& r : compareSetups(values, values, m)) {
        if (sections.empty() || sections.back().title != r.group) sections.push_back({r.group, {}});
        sections.back().rows.push_back({r.setting, r.sensor});
    }
    return sections;
}

ReportPage sensorPage(const ProgramState& m, const ScreenValues& screen,
                      const SensorAnswers& answers, int tag, const std::string& dateTime) {
    ReportPage page;
    page.tag = tag;
    page.answered = true;
    page.dateTime = dateTime;
    page.distanceUnit = m.distanceUnit;
    page.heading = "ID Tag " + std::to_string(tag) + ": " + modelName(m.sensorType);
    page.sensor.push_back(
        {"SENSOR",
         {{"ID Tag", std::to_string(tag)},
          {"Model", modelName(m.sensorType)},
          {"Firmware", answers.firmware ? std::to_string(*answers.firmware) : "not reported"},
          {"Serial Number", trim(screen.SerialNumber)}}});
    page.sensor.push_back(liveReading(m, answers.status));
    page.sensor.push_back(programming(m, tag));
    page.sensor.push_back(lineHealth(m, tag));

    page.settings = settingsSummary(m, screen);

    if (const auto e = m.runRecord.echoes.find(tag); e != m.runRecord.echoes.end()) {
        page.echo = e->second;
        page.echoCaption =
            "ACOUSTIC SIGNAL (" + e->second.gainCaption + ", captured " + e->second.time + ")";
        const CapturedEcho& c = e->second;
        page.echoAnalysis = analyzeEcho(
            c.samples, computePlotScale(c.samples, c.thresholdCode, c.kelvin, page.distanceUnit));
    } else {
        page.sensor.push_back({"ACOUSTIC SIGNAL", {{"Captured", "not in this run"}}});
    }
    return page;
}

ReportPage silentSensorPage(const ProgramState& m, int tag, const std::string& dateTime) {
    ReportPage page;
    page.tag = tag;
    page.dateTime = dateTime;
    page.distanceUnit = m.distanceUnit;
    page.heading = "ID Tag " + std::to_string(tag) + ": no answer";
    page.sensor.push_back({"SENSOR",
                           {{"ID Tag", std::to_string(tag)},
                            {"Status",
                             "The sensor with this ID tag did not answer. Nothing was "
                             "read from it."}}});
    page.sensor.push_back(lineHealth(m, tag));
    return page;
}

ReportPage reportSensor(ProgramState& m, int tag, const std::string& dateTime) {
    const Link::Hold held = m.link.hold();
    if (!held || m.link.programEnding || !probeTag(m.link, tag)) {
        return silentSensorPage(m, tag, dateTime);
    }
    ScreenValues screen;
    screen.SingleSensorID = std::to_string(tag);
    m.discovery.currentIdTag = tag;
    readSensorSettings(m, screen);
    if (m.link.programEnding || m.link.replyOk == 0) return silentSensorPage(m, tag, dateTime);
    SensorAnswers answers;
    if (m.link.exchange(cmd::FirmwareVersion, {.quiet = true})) {
        answers.firmware = m.link.dataByte(0);
    }
    if (m.link.exchange(cmd::Status, {.quiet = true})) answers.status = decodeStatus(m, screen);
    return sensorPage(m, screen, answers, tag, dateTime);
}

}  // namespace k7
