#pragma once
// The command-line tool's setup-file commands, on the same code as the main window's File
// menu: save a sensor's setup, compare a file with a sensor, program sensors from a file.
#include <iosfwd>
#include <string>
#include <vector>

namespace k7 {

class Clock;
class HistoryRecorder;
class SerialLine;
class TerminalProgress;

struct SetupCommand {
    std::string name;  // "save", "diff" or "program"
    std::string file;
    std::vector<int> tags;                 // save and diff use the first
    int distanceUnit = 1;                  // where distances are shown: 0 cm, 1 in, 2 ft, 3 m
    TerminalProgress* progress = nullptr;  // the reads' and writes' progress line
    HistoryRecorder* history = nullptr;    // where programming records its changes
};

// Runs the command on an open line and returns the exit status:
//   save     0 written; 1 the sensor did not answer or the file could not be written
//   diff     0 the file and the sensor agree; 1 they differ; 2 the sensor or file failed
//   program  0 every sensor programmed and verified; 1 any sensor refused the file, did not
//            answer or kept a cell. One line a sensor: tag, result, the cells that failed.
//            Each sensor's programming goes into the change history.
int runSetupCommand(const SetupCommand& c, SerialLine& line, Clock& clock, std::ostream& out,
                    std::ostream& err);

}  // namespace k7
