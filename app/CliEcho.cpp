#include "app/CliEcho.h"

#include <filesystem>
#include <ostream>

#include "acoustic/AcousticFile.h"
#include "acoustic/EchoCapture.h"
#include "acoustic/EchoCsv.h"
#include "acoustic/PlotScale.h"
#include "common/NumberText.h"
#include "link/Commands.h"
#include "service/EepromAccess.h"
#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "status/StatusDecode.h"

namespace k7 {
namespace {

constexpr int kSerialCell = 2;  // 2..4, high byte first
constexpr int kTriggerModeCell = 101;

bool endsWithCsv(const std::string& file) {
    return file.size() >= 4 && toUpper(file.substr(file.size() - 4)) == ".CSV";
}

}  // namespace

std::optional<Gain> gainNamed(const std::string& name) {
    if (name == "normal") return Gain::Switching;
    if (name == "low") return Gain::Low;
    if (name == "high") return Gain::High;
    return std::nullopt;
}

int runEcho(SerialLine& line, Clock& clock, LinkUi& ui, const EchoCommand& c, std::ostream& out,
            std::ostream& err) {
    ProgramState m(line, clock, ui);
    Link& link = m.link;
    const std::string tag = ui.addressedTagText();
    auto silent = [&](const std::string& what) {
        err << "k7700-cli: sensor " << tag << " does not answer (" << what << ")\n";
        return 1;
    };
    auto cell = [&](int address) -> std::optional<int> {
        const std::optional<CellPair> pair = readEeprom(link, address);
        return pair ? std::optional<int>(pair->cell) : std::nullopt;
    };

    // What the desktop program knows from its search, settings read and status poll.
    if (!link.exchange(cmd::SensorType)) return silent("type");
    const int type = link.dataByte(0);
    const SensorTypeInfo info = sensorTypeInfo(type);
    if (info.sensorClass != 0) link.sensorClass = static_cast<std::uint8_t>(info.sensorClass);
    if (!link.exchange(cmd::FirmwareVersion)) return silent("firmware");
    const int firmware = link.dataByte(0);
    if (firmware < 25 || info.slow) {
        err << "k7700-cli: sensor " << tag << " (" << info.caption << ", firmware " << firmware
            << ") has no acoustic display: it takes firmware 25 or later\n";
        return 1;
    }
    const std::optional<int> trigger = cell(kTriggerModeCell);
    if (!trigger) return silent("trigger mode");
    if ((*trigger & 7) >= 2 && (*trigger & 7) <= 4) {
        err << "k7700-cli: sensor " << tag
            << " must be in trigger mode \"internal\" or \"internal w/trig out\" for its "
               "acoustic record\n";
        return 1;
    }
    std::uint32_t serial = 0;
    for (int a = kSerialCell; a < kSerialCell + 3; ++a) {
        const std::optional<int> b = cell(a);
        if (!b) return silent("serial number");
        serial = serial * 256 + static_cast<std::uint32_t>(*b);
    }
    if (!link.exchange(cmd::Status)) return silent("status");
    decodeStatus(m, ScreenValues{});

    EchoCapture capture(link);
    const CaptureResult r = capture.capture(c.gain);
    if (link.programEnding) return silent("acoustic display");
    capture.restartSensor();
    if (r.outcome != CaptureResult::Outcome::Captured) {
        err << "k7700-cli: sensor " << tag << " sent no acoustic record in 3 attempts\n";
        return 1;
    }

    EchoRecord record;
    record.samples = r.samples;
    record.serialNumber = std::to_string(serial);
    if (m.temperatureReceived) record.temperatureC = m.measuredTemperatureC;
    record.gainCaption = gainCaption(r.gain);
    record.date = localDateTimeText();
    const std::string text = endsWithCsv(c.file)
                                 ? echoCsvText(record, captureKelvin(record.temperatureC), c.unit)
                                 : acousticFileText(std::filesystem::absolute(c.file), record);
    if (const std::string error = writeDisplayFile(c.file, text); !error.empty()) {
        err << "k7700-cli: " << c.file << ": " << error << "\n";
        return 1;
    }
    // JSON alone on standard output, for the script that reads it.
    std::ostream& told = c.analyze && c.analyze->json ? err : out;
    told << "tag " << tag << ": " << record.samples.size() << " samples, " << record.gainCaption
         << (r.switchingUnavailable ? " (no gain-switch position came)" : "") << ", written to "
         << c.file << "\n";
    if (!c.analyze) return 0;
    AnalyzeOptions o = *c.analyze;
    o.unit = c.unit;
    o.thresholdCode = r.thresholdCode;
    const SourcedRecord captured{record, captureKelvin(record.temperatureC), c.file, record.date};
    return printAnalysis(captured, nullptr, o, out, err);
}

}  // namespace k7
