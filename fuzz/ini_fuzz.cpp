// The INI reader on any bytes: no crash, values in their ranges, and what it writes back reads
// back as the same values without another repair.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ScratchFile.h"
#include "settings/IniFile.h"

namespace {

bool same(const k7::IniValues& a, const k7::IniValues& b) {
    return a.port == b.port && a.portName == b.portName && a.distanceUnit == b.distanceUnit &&
           a.temperatureUnit == b.temperatureUnit && a.preferredIdTag == b.preferredIdTag &&
           a.idTagText == b.idTagText && a.pathAndFilename == b.pathAndFilename;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = k7::fuzz::scratchFile("K7700.ini");
    k7::fuzz::writeBytes(path, data, size);

    const k7::IniValues v = k7::readIniFile(path, "/cwd").values;
    if (v.port < 0 || v.port > 255 || v.distanceUnit < 0 || v.distanceUnit > 3 ||
        v.temperatureUnit < 0 || v.temperatureUnit > 1 || v.preferredIdTag < 0 ||
        v.preferredIdTag > 32) {
        abort();
    }
    if (!k7::writeIniFile(path, v)) abort();
    const k7::IniReadResult again = k7::readIniFile(path, "/cwd");
    if (again.rewritten || !same(v, again.values)) abort();
    return 0;
}
