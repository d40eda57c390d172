#include "status/ReadingLog.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/NumberFormat.h"
#include "common/RegularFile.h"
#include "common/TextFile.h"

namespace k7 {

std::string isoLocalTime(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;  // minutes east of UTC
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03d%c%02ld:%02ld", date,
                  static_cast<int>(ms - static_cast<long long>(seconds) * 1000),
                  offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

ReadingTimes::ReadingTimes(Clock& clock)
    : wallStart_(std::chrono::system_clock::now()), clockStartUs_(clock.nowUs()) {}

std::string ReadingTimes::iso(std::int64_t clockUs) const {
    const auto time = wallStart_ + std::chrono::microseconds(clockUs - clockStartUs_);
    return isoLocalTime(std::chrono::time_point_cast<std::chrono::system_clock::duration>(time));
}

std::string readingLogHeader(LogUnits u) {
    const std::string unit = kUnitName[static_cast<std::size_t>(u.distance)];
    return "time,tag,distance (" + unit + "),distance (in x 128),current (mA),output A,output B," +
           "echo output,target strength (%),temperature (" +
           kTempUnitName[static_cast<std::size_t>(u.temperature)] + "),faults\r\n";
}

std::string readingLogRow(const StatusReading& r, const std::string& time, LogUnits u,
                          const DistanceFormats& formats) {
    std::string row = time + "," + std::to_string(r.tag) + ",";
    if (r.kind == StatusReading::Kind::Normal) {
        if (r.noEcho()) {
            row += "no echo";
        } else if (r.close()) {
            row += "close";
        } else {
            row += unitTexts(r.inches, formats)[static_cast<std::size_t>(u.distance)];
        }
        row += "," + std::to_string(r.distanceCount) + ",";
        if (!std::isnan(r.currentMa)) row += formatNumber(r.currentMa, "#0.00");
        const double t =
            u.temperature == kFahrenheit ? celsiusToFahrenheit(r.temperatureC) : r.temperatureC;
        row += std::string(",") + onOffText(r.outA) + "," + onOffText(r.outB) + "," +
               onOffText(r.echoOut) + "," + (r.strength >= 0 ? std::to_string(r.strength) : "") +
               "," + formatNumber(t, "##0.0") + ",";
    } else {
        row += ",,,,,,,," + csvField(faultsOnOneLine(r.faultText));
    }
    return row + "\r\n";
}

std::optional<std::string> ReadingLog::open(const std::string& path, LogUnits units, Clock& clock) {
    close();
    FileRefusal refusal;
    const int fd = createRegularFile(path, &refusal);
    if (fd < 0) {
        return refusal.namesFile ? refusal.message
                                 : "cannot write " + path + ": " + refusal.message;
    }
    fd_ = fd;
    path_ = path;
    units_ = units;
    rows_ = 0;
    wholeBytes_ = 0;
    times_.emplace(clock);
    return put(readingLogHeader(units));
}

std::optional<std::string> ReadingLog::write(const StatusReading& r,
                                             const DistanceFormats& formats) {
    if (fd_ < 0 || r.kind == StatusReading::Kind::Ignored) return std::nullopt;
    auto error = put(readingLogRow(r, times_->iso(r.timeUs), units_, formats));
    if (!error) ++rows_;
    return error;
}

std::optional<std::string> ReadingLog::put(const std::string& line) {
    // A line goes to the system whole or not at all: one cut short (a full disk, a file-size
    // limit) is taken back, so the file ends with the last whole row.
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int why = n < 0 ? errno : ENOSPC;
            const bool cut = ::ftruncate(fd_, static_cast<off_t>(wholeBytes_)) != 0;
            std::string error = "cannot write " + path_ + ": " + std::strerror(why) +
                                "; the log ends after " + std::to_string(rows_) + " readings";
            error += cut ? ", its last row may be cut short" : ", every row whole";
            close();
            return error;
        }
        done += static_cast<std::size_t>(n);
    }
    wholeBytes_ += line.size();
    return std::nullopt;
}

void ReadingLog::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace k7
