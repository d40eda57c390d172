#include "app/CliSetup.h"

#include <filesystem>
#include <ostream>
#include <sstream>

#include "app/CliUi.h"
#include "app/TerminalProgress.h"
#include "history/HistoryRecorder.h"
#include "settings/ProgramState.h"
#include "settings/Programming.h"
#include "settings/SettingsRead.h"
#include "settings/Validation.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupFileIo.h"
#include "setupfile/SetupScreen.h"

namespace k7 {
namespace {

// One sensor on a program state of its own, read as the main window reads it.
class Sensor {
public:
    Sensor(SerialLine& line, Clock& clock, std::ostream& err, int tag, const SetupCommand& c)
        : ui(err), m(line, clock, ui), history_(c.history), err_(err) {
        ui.progress = c.progress;
        m.link.changeSink = c.history;
        ui.tag = std::to_string(tag);
        screen.SingleSensorID = ui.tag;  // the tag stays: nothing here changes it
        m.discovery.currentIdTag = tag;
        m.distanceUnit = c.distanceUnit;
    }
    bool read() {
        const std::string note = readSensorSettings(m, screen);
        if (!note.empty()) err_ << "k7700-cli: tag " << ui.tag << ": " << note << "\n";
        if (ui.noReply || m.link.programEnding) return false;
        if (history_) history_->sensorRead(std::stoi(ui.tag), screen.SerialNumber, m.sensorType);
        return true;
    }
    const std::string& tag() const { return ui.tag; }

    CliUi ui;
    ProgramState m;
    ScreenValues screen;

private:
    HistoryRecorder* history_;
    std::ostream& err_;
};

int save(const SetupCommand& c, Sensor& s, std::ostream& out, std::ostream& err) {
    if (!s.read()) {
        err << "k7700-cli: sensor " << s.tag() << " does not answer\n";
        return 1;
    }
    std::error_code ec;
    const std::string header = std::filesystem::absolute(c.file, ec).string();
    if (const auto e =
            saveSetupFile(c.file, ec ? c.file : header, setupValuesFrom(s.m, s.screen))) {
        err << "k7700-cli: " << c.file << ": " << e->text() << "\n";
        return 1;
    }
    out << "tag " << s.tag() << ": setup saved to " << c.file << "\n";
    return 0;
}

int diff(const SetupCommand& c, Sensor& s, std::ostream& out, std::ostream& err) {
    constexpr int kTrouble = 2;
    if (!s.read()) {
        err << "k7700-cli: sensor " << s.tag() << " does not answer\n";
        return kTrouble;
    }
    const SetupRead file = readSetupFile(c.file, s.m.sensorType);
    if (file.status != SetupRead::Status::Ok) {
        err << "k7700-cli: "
            << (file.status == SetupRead::Status::OpenFailed ? c.file + ": " + file.error.text()
                                                             : notInterpretableMessage(c.file))
            << "\n";
        return kTrouble;
    }
    const auto rows = compareSetups(file.values, setupValuesFrom(s.m, s.screen), s.m);
    out << "tag " << s.tag() << " (" << s.screen.FactoryDescription << ") and " << c.file << "\n"
        << compareReport(rows);
    return differenceCount(rows) == 0 ? 0 : 1;
}

// One sensor's line: its settings read, the file checked for its type and validated as the
// main window validates before programming, then the verified writes.
bool programOne(const SetupCommand& c, Sensor& s, std::ostream& to) {
    // The sensor's line goes out whole once the progress line of its read and writes is gone.
    struct WholeLine {
        std::ostream& to;
        std::ostringstream text;
        ~WholeLine() { to << text.str(); }
    } line{to, {}};
    std::ostream& out = line.text;
    out << "tag " << s.tag() << ": ";
    const Link::Hold held = s.m.link.hold();
    if (!s.read()) {
        out << "failed: the sensor does not answer\n";
        return false;
    }
    const SetupRead file = readSetupFile(c.file, s.m.sensorType);
    if (file.status != SetupRead::Status::Ok) {
        out << "not programmed: "
            << (file.status == SetupRead::Status::OpenFailed ? file.error.text()
                                                             : notInterpretableMessage(c.file))
            << "\n";
        return false;
    }
    const SetupValues asRead = setupValuesFrom(s.m, s.screen);
    applySetup(s.m, s.screen, file.values);
    if (const auto failure = checkValues(s.m, s.screen)) {
        out << "not programmed: " << failure->message << "\n";
        return false;
    }
    ChangeScope change(s.m.link, kProgramChange,
                       {setupRecordText(asRead), setupRecordText(setupValuesFrom(s.m, s.screen))});
    const ProgramResult r = writeAllUserEeprom(s.m, s.screen);
    if (r.ok()) {
        out << "programmed and verified\n";
        return true;
    }
    out << "failed";
    if (r.status != ProgramStatus::Completed) out << ": the sensor stopped answering";
    if (!r.failedCells.empty()) out << ": " << notTakenText(r.failedCells, s.screen.OutputSpan);
    out << "\n";
    return false;
}

}  // namespace

int runSetupCommand(const SetupCommand& c, SerialLine& line, Clock& clock, std::ostream& out,
                    std::ostream& err) {
    if (c.name == "program") {
        // A file that cannot be opened fails every sensor alike: say so once, read none.
        const SetupRead head = readSetupFile(c.file, 0);
        if (head.status == SetupRead::Status::OpenFailed) {
            err << "k7700-cli: " << c.file << ": " << head.error.text() << "\n";
            return 1;
        }
        bool allOk = true;
        for (std::size_t i = 0; i < c.tags.size(); ++i) {
            const int tag = c.tags[i];
            if (c.progress) {
                c.progress->setContext("program: tag " + std::to_string(tag) + " (" +
                                       std::to_string(i + 1) + " of " +
                                       std::to_string(c.tags.size()) + ")");
            }
            Sensor s(line, clock, err, tag, c);
            allOk = programOne(c, s, out) && allOk;
        }
        return allOk ? 0 : 1;
    }
    if (c.progress) c.progress->setContext(c.name + ": tag " + std::to_string(c.tags.front()));
    Sensor s(line, clock, err, c.tags.front(), c);
    return c.name == "save" ? save(c, s, out, err) : diff(c, s, out, err);
}

}  // namespace k7
