// The setup-file reader on any bytes, for every sensor type: no crash, no unbounded memory; a
// file it takes writes back to a file that reads the same, compares equal to itself, and can
// be put on the screen of any sensor it fits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "link/Clock.h"
#include "settings/Module2.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupScreen.h"

namespace {

class NoLine final : public k7::SerialLine {
public:
    void open(const std::string&, const std::string&) override {}
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    void discardInput() override {}
    void write(std::span<const std::uint8_t>) override {}
    std::optional<std::uint8_t> readByte() override { return std::nullopt; }
    bool waitForBytes(int, std::int64_t) override { return false; }
    void reopen() override {}
};

class NoUi final : public k7::LinkUi {
public:
    std::string addressedTagText() override { return "1"; }
};

// Lines as the file reader makes them: CR LF or LF, Windows-1252.
std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::size_t len = end - start;
        if (len > 0 && bytes[end - 1] == '\r') --len;
        out.push_back(k7::cp1252ToUtf8(bytes.substr(start, len)));
        start = end + 1;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> file = lines(bytes);
    k7::VirtualClock clock;
    NoLine line;
    NoUi ui;
    for (int type = 0; type < 8; ++type) {
        const auto v = k7::parseSetupLines(file, k7::setupValueLineCount(type));
        if (!v) continue;
        const std::string text = k7::setupFileText("fuzz.txt", *v);
        const auto back = k7::parseSetupLines(lines(k7::utf8ToCp1252(text)),
                                              k7::setupValueLineCount(type));
        if (!back || k7::setupFileText("fuzz.txt", *back) != text) std::abort();
        if (!k7::setupFitsSensor(*v, type)) continue;
        k7::Module2 m(line, clock, ui);
        m.SensorType = type;
        m.DistanceUnit = static_cast<int>(size % 4);
        k7::ScreenValues screen;
        k7::applySetup(m, screen, *v);
        const auto rows = k7::compareSetups(*v, k7::setupValuesFrom(m, screen), m);
        if (k7::differenceCount(k7::compareSetups(*v, *v, m)) != 0) std::abort();
        (void)rows;
    }
    return 0;
}
