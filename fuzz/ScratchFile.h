#pragma once
// A file in a folder of this fuzzing process's own, removed at exit, so parallel runs never
// share it; targets that read files write each input there.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace k7::fuzz {

inline std::string scratchFile(const std::string& name) {
    static const std::string folder = [] {
        std::string f = (std::filesystem::temp_directory_path() / "k7fuzz-XXXXXX").string();
        if (!mkdtemp(f.data())) abort();
        static const std::string kept = f;
        atexit([] { std::filesystem::remove_all(kept); });
        return f;
    }();
    return folder + "/" + name;
}

// Writes the input bytes as they are.
inline void writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace k7::fuzz
