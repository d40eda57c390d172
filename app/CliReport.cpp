#include "app/CliReport.h"

#include <ostream>

#include "app/CliLog.h"
#include "app/CliUi.h"
#include "app/TerminalProgress.h"
#include "common/RegularFile.h"
#include "link/Commands.h"
#include "link/LineHealth.h"
#include "report/ReportModel.h"
#include "report/ReportPdf.h"
#include "settings/ProgramState.h"

namespace k7 {

int runReport(const ReportCommand& c, SerialLine& line, Clock& clock, TerminalProgress& progress,
              std::ostream& out, std::ostream& err) {
    // A file that could never be written is refused before the sensors are read.
    if (const auto refused = writeRefusal(c.file)) {
        err << "k7700-cli: " << namingFile(c.file, refused->message) << "\n";
        return 1;
    }
    std::vector<ReportPage> pages;
    bool allAnswered = true;
    const std::string made = localDateTimeText();
    for (std::size_t i = 0; i < c.tags.size(); ++i) {
        const int tag = c.tags[i];
        progress.setContext("report: tag " + std::to_string(tag) + " (" + std::to_string(i + 1) +
                            " of " + std::to_string(c.tags.size()) + ")");
        progress.show("");
        // Each sensor on a program state of its own, as the setup-file commands read them: a
        // sensor that stops answering half-way ends only its own page.
        CliUi ui(err);
        ui.progress = &progress;
        ProgramState m(line, clock, ui);
        m.distanceUnit = c.distanceUnit;
        pages.push_back(reportSensor(m, tag, made));
        if (!pages.back().answered) {
            allAnswered = false;
            progress.clear();
            err << "k7700-cli: sensor " << tag << " does not answer: its page says so\n";
        }
    }
    progress.setContext("");
    progress.show("report: writing " + c.file);
    const std::string error = writeReportPdf(c.file, pages);
    progress.clear();
    if (!error.empty()) {
        err << "k7700-cli: " << namingFile(c.file, error) << "\n";
        return 1;
    }
    out << "report of " << pages.size() << (pages.size() == 1 ? " sensor" : " sensors")
        << " written to " << c.file << "\n";
    return allAnswered ? 0 : 1;
}

int runHealth(const std::vector<int>& tags, int seconds, Link& link, LogStop& stop,
              TerminalProgress& progress, std::ostream& out, std::ostream& err) {
    Clock& clock = link.clock();
    const std::int64_t start = clock.nowUs();
    const std::int64_t end = start + std::int64_t{seconds} * 1'000'000;
    auto over = [&] { return link.programEnding || link.line().deviceLost() || stop.requested(); };
    progress.setContext("health");
    for (std::int64_t shownSecond = -1; clock.nowUs() < end && !over();) {
        for (int tag : tags) {
            link.ui().setAddressedTagText(std::to_string(tag));
            link.exchange(cmd::Status, {.quiet = true});
            if (over()) break;
        }
        const std::int64_t second = (clock.nowUs() - start) / 1'000'000;
        if (second != shownSecond) {
            shownSecond = second;
            progress.show(std::to_string(second) + " s of " + std::to_string(seconds) + " s");
        }
    }
    progress.clear();
    // What was counted until the polling ended shows in any case.
    const bool lost = link.line().deviceLost();
    if (lost) {
        err << "k7700-cli: the serial device went away: " << link.line().lossReason() << "\n";
    } else if (link.programEnding) {
        err << "k7700-cli: the line stopped before the time was up\n";
    } else if (clock.nowUs() < end) {
        err << "k7700-cli: stopped after " << (clock.nowUs() - start) / 1'000'000 << " s\n";
    }
    for (const std::string& note : link.stats.notes) err << "k7700-cli: note: " << note << "\n";
    auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) out << (i ? "\t" : "") << cells[i];
        out << "\n";
    };
    line(lineHealthHeader());
    std::vector<int> silent;
    for (int tag : tags) {
        const TagHealth& h = link.stats.tag(tag);
        line(lineHealthRow(tag, h));
        if (!h.lastAnswered) silent.push_back(tag);
    }
    for (int tag : silent) err << "k7700-cli: sensor " << tag << " never answered\n";
    return silent.empty() && !link.programEnding && !lost ? 0 : 1;
}

}  // namespace k7
