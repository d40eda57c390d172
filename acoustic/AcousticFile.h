#pragma once
// The acoustic data file: a header, the data format, the serial number, the temperature, the
// gain, the comments up to an end-of-comments marker line, then one sample a line. Text in
// Windows-1252 with CR LF line ends; the reader also takes LF-only files. The older format 1
// has no format lines and no comments.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/EchoRecord.h"

namespace k7 {

inline constexpr char kEndOfComments = '\x06';
// No acoustic file comes near this; a bigger file is not one.
inline constexpr std::size_t kAcousticFileMaxBytes = 1u << 20;

// The whole file as UTF-8 text with CR LF line ends; `path` goes into the header.
std::string acousticFileText(const std::string& path, const EchoRecord& record);

// The record in the lines of a file (line ends removed), or nullopt when they cannot be
// interpreted. The comments come back as they were saved.
std::optional<EchoRecord> parseAcousticFile(const std::vector<std::string>& lines);

// The message for a file that is not an acoustic data file.
std::string cannotInterpretMessage(const std::string& path);

// Writes a text file of the display (atomically, through links, never over a read-only file);
// what the error window shows when that fails, empty on success.
std::string writeDisplayFile(const std::string& path, const std::string& utf8Text);
inline std::string saveAcousticFile(const std::string& path, const EchoRecord& record) {
    return writeDisplayFile(path, acousticFileText(path, record));
}
struct RecalledFile {
    std::optional<EchoRecord> record;
    std::string error;  // set when there is no record
};
RecalledFile recallAcousticFile(const std::string& path);

// The serial number as the display shows it: "invalid" outside 1..16777215.
std::string serialNumberLabel(const std::string& serial);
// "21.5 deg. C" (or deg. F in Fahrenheit), "unknown" when no temperature is known.
std::string temperatureLabel(std::optional<double> celsius, int temperatureUnit);

}  // namespace k7
