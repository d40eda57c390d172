#pragma once
// The factory bench's sequences without their window: distance and temperature calibration,
// the serial number, single commands, EEPROM cell peek and poke, the sensor description, the
// free frame, the leg sequence and the line test patterns. Each holds the line for its whole
// length and sends nothing, with a beep, while another exchange has it.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/Link.h"
#include "service/EepromAccess.h"

namespace k7 {

// Waits `ms` on the link's clock; false, at once, when the sequence is to stop (its window
// closed, the program is ending). The long sequences wait through it.
using Pacer = std::function<bool(int ms)>;
// Sleeps in slices of 50 ms and lets window events run between them, so a window stays live
// and can be closed during a long sequence; stops when `stopped` says so.
Pacer responsivePacer(Link& link, std::function<bool()> stopped);

// What a sequence of verified writes came to.
struct CellsWritten {
    bool busy = false;              // the line was held elsewhere: nothing was sent
    std::optional<int> failedCell;  // did not take its value; the cells after it were not sent
    bool ok() const { return !busy && !failedCell; }
};

// --- distance calibration (cells 6 high, 7 low: a signed 16-bit count of 0.2 µs ticks)
inline constexpr int kDistanceCalCell = 6;
inline constexpr double kCalRangeMinInches = 1, kCalRangeMaxInches = 1200;
// The temperatures a sensor can report (a byte of half degrees from -50 °C).
inline constexpr double kCalTemperatureMinC = -50, kCalTemperatureMaxC = 77.5;

// Echo time in ticks for a target `rangeInches` away in air at `celsius`:
// 2R × 5 000 000 / 789.9147 / √(T + 273.15).
double expectedEchoTicks(double rangeInches, double celsius);
// Int(expected + 0.5) − measured.
long calibrationValue(double rangeInches, double celsius, int measuredTicks);

struct DistanceCalibration {
    enum class Outcome { Written, Busy, NoReply, NoEcho, OutOfRange, WriteFailed };
    Outcome outcome = Outcome::Busy;
    int measured = 0;  // from 117
    long cal = 0;      // as shown after "Cal Value = "
    int failedCell = 0;
};
// 117 for the measured time, the value from it, the low-region unlock, cells 6 and 7, restart.
// Nothing is written for a reading of 0 (no echo) or a value outside -32768..32767.
DistanceCalibration calibrateDistance(Link& link, double rangeInches, double celsius);

// The low-region unlock, 106 (up) or 107 (down); `sent` runs (the window shows the reading
// red); after 500 ms the single reading of 112 in °C. nullopt: the line was busy or no reply.
std::optional<double> stepTemperatureCal(Link& link, bool up, const std::function<void()>& sent);

// --- serial number (cells 2, 3, 4, high byte first)
inline constexpr long kMaxSerialNumber = 16777215;
std::array<CellValue, 3> serialNumberCells(long serial);
// The low-region unlock, then the three cells in order.
CellsWritten writeSerialNumber(Link& link, long serial);

// --- single exchanges
// The command through the request builder, which sends only the codes of the command table
// (103 and 126 take the write parameter block). No reply is read; the stream that follows 100
// or 120 is read off the line and dropped, so it is never taken for the next reply. False when
// the code is not one the program sends or the line is busy.
bool sendSingleCommand(Link& link, int code);
// The verified write of one cell, without an unlock.
CellsWritten writeCell(Link& link, int address, int value);
std::optional<CellPair> readCell(Link& link, int address);
// The two unlock codes ("Enable all EEPROM writes").
bool enableAllWrites(Link& link);
bool bootSensor(Link& link);

// --- sensor description, from cell 6 on. It never reaches cell 30 (threshold code, ring
// times, ID tag): at most 24 characters, into cells 6..29 of the protected region.
inline constexpr int kDescriptionFirstCell = 6;
inline constexpr int kDescriptionLastCell = 29;
inline constexpr int kDescriptionMaxLength = kDescriptionLastCell - kDescriptionFirstCell + 1;
// The cells and Windows-1252 codes of a text; nullopt when it is longer than fits.
std::optional<std::vector<CellValue>> descriptionCells(std::string_view utf8Text);
// The confirmation, naming the cells the text would overwrite and what they hold.
std::string descriptionWarning(std::span<const CellValue> cells);
// Each cell with the unlock pair and the verified write, one second apart.
CellsWritten writeDescription(Link& link, std::span<const CellValue> cells, const Pacer& pacer);

// --- raw traffic
// The five bytes and their checksum, written as a frame; no reply is read.
bool sendFreeFrame(Link& link, const std::array<std::uint8_t, 5>& bytes);
// The raw bytes 0 and 1, then 60 ms.
bool sendLegSequence(Link& link, const Pacer& pacer);

// A line test pattern: the 16-byte buffer sent raw, waits and beeps, in order.
struct PatternAction {
    enum class Kind { Send, Wait, Beep };
    Kind kind = Kind::Send;
    std::array<std::uint8_t, 16> bytes{};  // Send
    int ms = 0;                            // Wait
    bool operator==(const PatternAction&) const = default;
};
inline constexpr int kPatternDaDefault = 8;  // the "D/A Value" 0 stands for 8
// The actions of pattern `code` (0..255) with the D/A value `da` (0..255), so every loop of a
// pattern has a bound.
std::vector<PatternAction> patternActions(int code, int da);
// False when the line was busy or the pacer stopped the pattern.
bool runPattern(Link& link, const std::vector<PatternAction>& actions, const Pacer& pacer);

}  // namespace k7
