#pragma once
// The data log: status readings of one or more sensors as CSV rows, streamed to disk. Every row
// is handed to the system as it is written, so a log that is interrupted (Ctrl-C, a closed
// window, a crash) keeps every row it took, each whole. Toolkit-free.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "link/Clock.h"
#include "settings/Units.h"
#include "status/Reading.h"

namespace k7 {

struct LogUnits {
    int distance = kIn;
    int temperature = kCelsius;
};

// "2024-05-01T14:03:07.123+02:00": local time with milliseconds and the offset from UTC.
std::string isoLocalTime(std::chrono::system_clock::time_point t);

// The times of readings as ISO 8601 local times: the date and time when it was made, moved on
// by the link's clock (which never jumps, whatever the system's time does meanwhile).
class ReadingTimes {
public:
    explicit ReadingTimes(Clock& clock);
    std::string iso(std::int64_t clockUs) const;

private:
    std::chrono::system_clock::time_point wallStart_;
    std::int64_t clockStartUs_ = 0;
};

std::string readingLogHeader(LogUnits units);
// One row; `time` is the reading's ISO 8601 time.
std::string readingLogRow(const StatusReading& r, const std::string& time, LogUnits units,
                          const DistanceFormats& formats);

class ReadingLog {
public:
    ReadingLog() = default;
    ReadingLog(const ReadingLog&) = delete;
    ReadingLog& operator=(const ReadingLog&) = delete;
    ~ReadingLog() { close(); }

    // Creates (or empties) the file and writes the header; a read-only file, a FIFO or a
    // device is refused. Times of the rows are the date and time now, moved on by the link's
    // clock (ReadingTimes). An error names the file.
    std::optional<std::string> open(const std::string& path, LogUnits units, Clock& clock);
    // Writes one row; on an error (disk full, device gone) the part of the row written is
    // taken back, the log closes and the error names the file and the readings it holds. A
    // reading that is neither a status nor a fault report is not written.
    std::optional<std::string> write(const StatusReading& r, const DistanceFormats& formats);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    std::uint64_t rows() const { return rows_; }
    LogUnits units() const { return units_; }

private:
    std::optional<std::string> put(const std::string& line);

    int fd_ = -1;
    std::string path_;
    LogUnits units_;
    std::uint64_t rows_ = 0;
    std::uint64_t wholeBytes_ = 0;  // the file's length up to its last whole line
    std::optional<ReadingTimes> times_;
};

}  // namespace k7
