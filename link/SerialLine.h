#pragma once
// The serial line as the link sees it. waitForBytes is the one addition to the classic port
// operations: it sleeps until enough input is waiting or a deadline passes, so no wait spins.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace k7 {

class LineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SerialLine {
public:
    virtual ~SerialLine() = default;
    // Opens the device with a settings string such as "19200,n,8,1"; throws LineError.
    virtual void open(const std::string& device, const std::string& settings) = 0;
    virtual void close() = 0;  // never throws; closing a closed line is harmless
    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    virtual std::optional<std::uint8_t> readByte() = 0;
    // True as soon as at least `count` bytes are waiting; false once the monotonic clock has
    // reached deadlineUs without them.
    virtual bool waitForBytes(int count, std::int64_t deadlineUs) = 0;

    // True once the device has gone away (an unplugged adapter): the port is closed and every
    // operation is harmless and costs nothing until reopen() succeeds.
    virtual bool deviceLost() const { return false; }
    virtual std::string lossReason() const { return {}; }
    // Opens the device and settings of the last open() again; throws LineError.
    virtual void reopen() = 0;
    // Remarks the line made about itself since the last call (e.g. that the driver would not
    // pass bytes on with low latency); each is handed out once.
    virtual std::vector<std::string> takeNotes() { return {}; }
};

struct LineSettings {
    int baud = 19200;
    char parity = 'n';  // n, e, o, m, s
    int dataBits = 8;
    int stopBits = 1;
};

// "19200,n,8,1" -> settings; throws LineError for a malformed string.
LineSettings parseLineSettings(const std::string& text);

inline constexpr const char* kLineSettings = "19200,n,8,1";

}  // namespace k7
