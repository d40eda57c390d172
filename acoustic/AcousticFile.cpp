#include "acoustic/AcousticFile.h"

#include <cmath>

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "settings/Units.h"

namespace k7 {
namespace {

constexpr const char* kFormatFollows = "Data Format Follows";
constexpr const char* kBel = "\x07";

bool isGainCaption(const std::string& text) {
    const std::string upper = toUpper(text);
    for (Gain g : {Gain::Switching, Gain::Low, Gain::High}) {
        if (upper == toUpper(gainCaption(g))) return true;
    }
    return false;
}

// The comment as lines; the marker character may not appear in them.
std::vector<std::string> commentLines(const std::string& comments) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < comments.size(); ++i) {
        const char c = comments[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < comments.size() && comments[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c == kEndOfComments ? '6' : c;
        }
    }
    return lines;
}

// Reads the lines in order; every step of the reader fails the whole file.
class LineCursor {
public:
    explicit LineCursor(const std::vector<std::string>& lines) : lines_(lines) {}
    bool atEnd() const { return next_ >= lines_.size(); }
    const std::string* take() { return atEnd() ? nullptr : &lines_[next_++]; }
    // The text after "=" of the next line; nullopt at the end or without "=".
    std::optional<std::string> value() {
        const std::string* line = take();
        if (!line) return std::nullopt;
        std::string v = valueAfterEquals(*line);
        if (v == kBel) return std::nullopt;
        return v;
    }

private:
    const std::vector<std::string>& lines_;
    std::size_t next_ = 0;
};

}  // namespace

const char* gainCaption(Gain gain) {
    switch (gain) {
        case Gain::Low:
            return "Low Gain";
        case Gain::High:
            return "High Gain";
        default:
            return "Switching Gain (Normal)";
    }
}

std::string acousticFileText(const std::string& path, const EchoRecord& r) {
    std::vector<std::string> lines = {
        path + ", Acoustic data file for an K-7700 sensor",
        kFormatFollows,
        "Data Format =2",
        "Serial Number = " + r.serialNumber,
        "Temperature (deg. C) = " + (r.temperatureC ? plainText(*r.temperatureC) : ""),
        "Gain = " + r.gainCaption,
    };
    for (std::string& line : commentLines(r.comments)) lines.push_back(std::move(line));
    lines.insert(lines.end(), {"", "", std::string(1, kEndOfComments)});
    for (std::uint8_t s : r.samples) lines.push_back(" " + std::to_string(s) + " ");
    return joinCrLf(lines);
}

std::optional<EchoRecord> parseAcousticFile(const std::vector<std::string>& lines) {
    LineCursor in(lines);
    EchoRecord r;
    if (!in.take()) return std::nullopt;  // the header names the file it was saved as
    if (in.atEnd()) return std::nullopt;
    int format = 1;
    if (lines[1].rfind(kFormatFollows, 0) == 0) {
        in.take();
        const std::optional<std::string> f = in.value();
        double number = 0;
        if (!f || !parseNumber(*f, &number)) return std::nullopt;
        number = roundHalfEven(number);
        if (number < -32768 || number > 32767) return std::nullopt;
        format = static_cast<int>(number);
    }

    std::optional<std::string> serial = in.value();
    if (!serial) return std::nullopt;
    r.serialNumber = *serial;

    std::optional<std::string> temperature = in.value();
    if (!temperature) return std::nullopt;
    // An empty value is a temperature nobody measured, not 0 °C.
    if (!temperature->empty()) r.temperatureC = leadingNumber(*temperature);
    if (r.temperatureC && !std::isfinite(*r.temperatureC)) return std::nullopt;

    std::optional<std::string> gain = in.value();
    if (!gain || !isGainCaption(*gain)) return std::nullopt;
    r.gainCaption = *gain;

    if (format > 1) {
        std::vector<std::string> comment;
        for (const std::string* line = in.take(); line; line = in.take()) {
            if (*line == std::string(1, kEndOfComments)) break;
            comment.push_back(*line);
        }
        // The saver adds two empty lines after the comment; they are not part of it.
        for (int i = 0; i < 2 && !comment.empty() && comment.back().empty(); ++i)
            comment.pop_back();
        for (std::size_t i = 0; i < comment.size(); ++i) {
            if (i > 0) r.comments += '\n';
            r.comments += comment[i];
        }
    }

    for (const std::string* line = in.take(); line; line = in.take()) {
        if (r.samples.size() >= 1600) return std::nullopt;
        const double v = roundHalfEven(leadingNumber(*line));
        if (!(v >= 0 && v <= 255)) return std::nullopt;
        r.samples.push_back(static_cast<std::uint8_t>(v));
    }
    if (r.samples.size() != 320 && r.samples.size() != 1600) return std::nullopt;
    return r;
}

std::string cannotInterpretMessage(const std::string& path) {
    return "The file \"" + path +
           "\" cannot be interpreted. It may not be an K-7700 Acoustic Data file, or it may "
           "have been corrupted.";
}

std::string writeDisplayFile(const std::string& path, const std::string& utf8Text) {
    std::string error;
    int systemError = 0;
    if (writeTextFile(path, utf8Text, &error, &systemError)) return {};
    return FileError{fileErrorNumber(systemError, false), error}.text();
}

RecalledFile recallAcousticFile(const std::string& path) {
    std::string error;
    const auto lines = readTextLines(path, &error, kAcousticFileMaxBytes);
    if (!lines) {
        if (error == "File too large") return {std::nullopt, cannotInterpretMessage(path)};
        // Anything else in the reader's words: a FIFO or device is refused unread, named.
        return {std::nullopt,
                FileError{error == "File not found" ? kErrFileNotFound : kErrPathFileAccess, error}
                    .text()};
    }
    std::optional<EchoRecord> record = parseAcousticFile(*lines);
    if (!record) return {std::nullopt, cannotInterpretMessage(path)};
    return {std::move(record), {}};
}

std::string serialNumberLabel(const std::string& serial) {
    const double n = leadingNumber(serial);
    return n <= 0 || n >= 16777216 ? "invalid" : serial;
}

std::string temperatureLabel(std::optional<double> celsius, int temperatureUnit) {
    if (!celsius) return "unknown";
    if (temperatureUnit == kFahrenheit) {
        return formatNumber(celsiusToFahrenheit(*celsius), "##0.0") + " deg. F";
    }
    return formatNumber(*celsius, "##0.0") + " deg. C";
}

}  // namespace k7
