// The INI reader on any bytes: no crash, values in their ranges, and what it writes back reads
// back as the same values without another repair.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "settings/IniFile.h"

namespace {

// One folder per fuzzing process, removed at exit, so parallel runs never share the file.
const std::string& iniPath() {
    static const std::string path = [] {
        std::string folder =
            (std::filesystem::temp_directory_path() / "k7fuzz-ini-XXXXXX").string();
        if (!mkdtemp(folder.data())) abort();
        static const std::string kept = folder;
        atexit([] { std::filesystem::remove_all(kept); });
        return folder + "/K7700.ini";
    }();
    return path;
}

bool same(const k7::IniValues& a, const k7::IniValues& b) {
    return a.port == b.port && a.portName == b.portName && a.distanceUnit == b.distanceUnit &&
           a.temperatureUnit == b.temperatureUnit && a.preferredIdTag == b.preferredIdTag &&
           a.idTagText == b.idTagText && a.pathAndFilename == b.pathAndFilename;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(iniPath().c_str(), "wb");
    if (!f) abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const k7::IniValues v = k7::readIniFile(iniPath(), "/cwd").values;
    if (v.port < 0 || v.port > 255 || v.distanceUnit < 0 || v.distanceUnit > 3 ||
        v.temperatureUnit < 0 || v.temperatureUnit > 1 || v.preferredIdTag < 0 ||
        v.preferredIdTag > 32) {
        abort();
    }
    if (!k7::writeIniFile(iniPath(), v)) abort();
    const k7::IniReadResult again = k7::readIniFile(iniPath(), "/cwd");
    if (again.rewritten || !same(v, again.values)) abort();
    return 0;
}
