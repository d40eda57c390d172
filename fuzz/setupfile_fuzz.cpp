// The setup-file reader on any file, for every sensor type: no crash and no memory beyond its
// bound; a file it takes is written back as a file that reads the same, compares equal to
// itself, and goes on the screen of any sensor it fits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "NoLink.h"
#include "ScratchFile.h"
#include "common/Cp1252.h"
#include "link/Clock.h"
#include "settings/ProgramState.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupFileIo.h"
#include "setupfile/SetupScreen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = k7::fuzz::scratchFile("input.txt");
    static const std::string saved = k7::fuzz::scratchFile("saved.txt");
    k7::fuzz::writeBytes(input, data, size);
    k7::VirtualClock clock;
    k7::fuzz::NoLine line;
    k7::fuzz::NoUi ui;
    for (int type = 0; type < 8; ++type) {
        const k7::SetupRead r = k7::readSetupFile(input, type);
        if (r.status == k7::SetupRead::Status::OpenFailed) abort();
        if (r.status != k7::SetupRead::Status::Ok) continue;
        // What the writer makes of it reads back the same (written as a save writes it,
        // less the slow trip to the disk).
        const std::string text = k7::setupFileText("fuzz", r.values);
        const std::string bytes = k7::utf8ToCp1252(text);
        k7::fuzz::writeBytes(saved, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             bytes.size());
        const k7::SetupRead back = k7::readSetupFile(saved, type);
        if (back.status != k7::SetupRead::Status::Ok ||
            k7::setupFileText("fuzz", back.values) != text) {
            abort();
        }
        k7::ProgramState m(line, clock, ui);
        m.sensorType = type;
        m.distanceUnit = static_cast<int>(size % 4);
        m.temperatureUnit = static_cast<int>(size / 4 % 2);
        k7::ScreenValues screen;
        k7::applySetup(m, screen, r.values);
        k7::compareSetups(r.values, k7::setupValuesFrom(m, screen), m);
        if (k7::differenceCount(k7::compareSetups(r.values, r.values, m)) != 0) abort();
    }
    return 0;
}
