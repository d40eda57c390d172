#include "status/OverviewTable.h"

#include <cmath>

#include "common/NumberFormat.h"
#include "link/CommHistory.h"
#include "link/LineHealth.h"
#include "settings/SensorTypes.h"

namespace k7 {
namespace {

OverviewCell number(const std::string& text, double key) {
    return {text, key};
}

OverviewCell words(const std::string& text) {
    return {text, std::nullopt};
}

}  // namespace

std::vector<std::string> overviewHeader(int distanceUnit) {
    std::vector<std::string> h = {
        "ID tag",
        "Model",
        "Firmware",
        "Serial number",
        std::string("Distance (") + kUnitName[static_cast<std::size_t>(distanceUnit)] + ")",
        "Current (mA)",
        "Output A",
        "Output B",
        "Echo output",
        "Faults",
        "State"};
    const auto& health = lineHealthHeader();
    h.insert(h.end(), health.begin() + 1, health.end());  // its ID tag is ours
    return h;
}

std::vector<OverviewCell> overviewRow(const SensorRow& r, const TagHealth& health,
                                      int distanceUnit) {
    std::vector<OverviewCell> row;
    row.push_back(number(std::to_string(r.tag), r.tag));
    if (r.identified) {
        row.push_back(words(modelName(r.type)));
        row.push_back(number(std::to_string(r.firmware), r.firmware));
        row.push_back(number(std::to_string(r.serial), r.serial));
    } else {
        row.insert(row.end(), 3, OverviewCell{});
    }
    const StatusReading* s = r.reading ? &*r.reading : nullptr;
    if (s && s->kind == StatusReading::Kind::Normal) {
        if (s->noEcho()) {
            row.push_back(number("(no echo)", -1));  // sorts below every distance
        } else if (s->close()) {
            row.push_back(number("(close)", 0));
        } else {
            row.push_back(
                number(unitTexts(s->inches, r.formats)[static_cast<std::size_t>(distanceUnit)],
                       s->inches));
        }
        row.push_back(std::isnan(s->currentMa)
                          ? words(std::string())
                          : number(formatNumber(s->currentMa, "#0.00"), s->currentMa));
        row.push_back(words(onOffText(s->outA)));
        row.push_back(words(onOffText(s->outB)));
        row.push_back(words(onOffText(s->echoOut)));
        row.push_back(words(std::string()));
    } else {
        row.insert(row.end(), 5, OverviewCell{});
        row.push_back(words(s ? faultsOnOneLine(s->faultText) : std::string()));
    }
    if (!r.silent) {
        row.push_back(words(r.identified ? "answering" : "reading ..."));
    } else if (const auto seen = r.lastSeen ? r.lastSeen : health.lastAnswered) {
        // Before the overview heard it, the search may have.
        row.push_back(words("not answering, last seen " + isoTimeOfDay(*seen)));
    } else {
        row.push_back(words("not answering"));
    }
    const std::vector<std::string> h = lineHealthRow(r.tag, health);
    for (std::size_t i = 1; i < h.size(); ++i) {
        const bool counter = i + 1 < h.size();  // the last column is a time of day
        row.push_back(counter ? number(h[i], std::stod(h[i])) : words(h[i]));
    }
    return row;
}

std::string tableText(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "\t" : "") + cells[i];
        return text + "\n";
    };
    std::string text = line(header);
    for (const auto& r : rows) text += line(r);
    return text;
}

}  // namespace k7
