#pragma once
// What one sequence changed in a sensor, for the change history. The code that changes a
// sensor opens a ChangeScope naming the change; the link notes every EEPROM write made while it
// is open, with the write's verified outcome; when the scope ends the whole change goes to the
// link's ChangeSink (the history), which must never hold up or fail the sequence. A write made
// with no scope open is handed over on its own, so nothing written escapes the history.
#include <optional>
#include <string>
#include <vector>

namespace k7 {

class Link;

struct CellChange {
    enum class Outcome {
        Verified,    // read back the value written
        Failed,      // never read back the value, ten writes
        Unchecked,   // written without a read-back (the ID tag, which takes effect at restart)
        Unanswered,  // the sensor stopped answering during the write
    };
    int address = 0;
    int value = 0;
    Outcome outcome = Outcome::Verified;
    bool operator==(const CellChange&) const = default;
};

// Who the sensor is, as far as the program knows or could ask.
struct SensorIdentity {
    std::optional<long> serial;
    std::optional<int> type;
    std::optional<int> firmware;
};

struct SensorChange {
    std::string action;  // "Program", "Poke", "Reset Error", ...
    int tag = 0;         // the tag the sensor answered to when the change began
    int finalTag = 0;    // the tag of its last write (another after an ID tag change)
    SensorIdentity sensor;
    std::vector<CellChange> cells;
    std::string failure;  // why it did not complete; empty when done
    std::string note;     // what the cells do not say (a calibration step, ...)
    // A settings programming: the setups (setup-file text) before, as read, and after, as asked.
    std::string setupBefore, setupAfter;
};

class ChangeSink {
public:
    virtual ~ChangeSink() = default;
    // A change of the sensor at change.tag begins, with the line held: the sink fills in
    // change.sensor, from what it knows or by asking the sensor.
    virtual void changeStarting(Link& link, SensorChange& change) = 0;
    // The change ended. Must return at once: the history is written elsewhere.
    virtual void changeMade(const SensorChange& change) = 0;
};

struct ChangeSetups {
    std::string before, after;
};

// A change in progress. Scopes opened inside another join it, so a routine that names its own
// change (programming) can be called by one that names a larger one.
class ChangeScope {
public:
    ChangeScope(Link& link, std::string action, ChangeSetups setups = {});
    ~ChangeScope();
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

    // Why the change did not complete; the first reason given is kept.
    void fail(const std::string& why);
    void note(const std::string& text);

    // The link's report of one write.
    void cellWritten(int tag, int address, int value, CellChange::Outcome outcome);

private:
    ChangeScope& root() { return outer_ ? *outer_ : *this; }
    Link& link_;
    ChangeScope* outer_ = nullptr;
    SensorChange change_;
};

// "cell 90 did not take the value written", "cells 90, 91 ...": what the failed cells say.
std::string failedCellsText(const std::vector<CellChange>& cells);

}  // namespace k7
