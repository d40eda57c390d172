#include "link/SensorChange.h"

#include <cmath>

#include "common/NumberText.h"
#include "link/Link.h"

namespace k7 {

ChangeScope::ChangeScope(Link& link, std::string action, ChangeSetups setups)
    : link_(link), outer_(link.openChange_) {
    if (outer_) {
        // Joins the change already open; its setups are the better-informed caller's.
        if (outer_->change_.setupBefore.empty()) {
            outer_->change_.setupBefore = std::move(setups.before);
            outer_->change_.setupAfter = std::move(setups.after);
        }
        return;
    }
    link_.openChange_ = this;
    change_.action = std::move(action);
    change_.setupBefore = std::move(setups.before);
    change_.setupAfter = std::move(setups.after);
    const double tag = leadingNumber(link_.ui().addressedTagText());
    change_.tag = tag >= 0 && tag <= 255 ? static_cast<int>(tag) : 0;
    change_.finalTag = change_.tag;
    if (!link_.changeSink || link_.programEnding) return;
    try {
        link_.changeSink->changeStarting(link_, change_);
    } catch (...) {
        // Who the sensor is stays unknown; the change goes on regardless.
    }
}

ChangeScope::~ChangeScope() {
    if (outer_) return;
    link_.openChange_ = nullptr;
    ChangeSink* sink = link_.changeSink;
    if (!sink || (change_.cells.empty() && change_.failure.empty() && change_.note.empty())) {
        return;  // nothing was sent: nothing to record
    }
    if (change_.failure.empty()) change_.failure = failedCellsText(change_.cells);
    if (change_.failure.empty() && link_.programEnding) {
        change_.failure = "the sensor stopped answering";
    }
    try {
        sink->changeMade(change_);
    } catch (...) {
        // The history never fails a change.
    }
}

void ChangeScope::fail(const std::string& why) {
    if (root().change_.failure.empty()) root().change_.failure = why;
}

void ChangeScope::note(const std::string& text) {
    std::string& n = root().change_.note;
    n += (n.empty() || text.empty() ? "" : "; ") + text;
}

void ChangeScope::cellWritten(int tag, int address, int value, CellChange::Outcome outcome) {
    SensorChange& c = root().change_;
    c.finalTag = tag;
    c.cells.push_back({address, value, outcome});
}

std::string failedCellsText(const std::vector<CellChange>& cells) {
    std::string failed;
    int count = 0;
    bool unanswered = false;
    for (const CellChange& c : cells) {
        if (c.outcome == CellChange::Outcome::Unanswered) unanswered = true;
        if (c.outcome != CellChange::Outcome::Failed) continue;
        failed += (failed.empty() ? "" : ", ") + std::to_string(c.address);
        ++count;
    }
    std::string text;
    if (count > 0) {
        text = (count == 1 ? "cell " : "cells ") + failed + " did not take the value written";
    }
    if (unanswered) text += (text.empty() ? "" : "; ") + std::string("the sensor stopped answering");
    return text;
}

}  // namespace k7
