#include "common/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/Cp1252.h"

namespace k7 {

std::optional<std::vector<std::string>> readTextLines(const std::string& path, std::string* error,
                                                      std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "File not found";
        return std::nullopt;
    }
    std::string bytes;
    char buf[8192];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            if (error) *error = "File too large";
            return std::nullopt;
        }
    }
    if (in.bad()) {
        if (error) *error = "Device I/O error";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t nl = bytes.find('\n', start);
        std::size_t end = nl == std::string::npos ? bytes.size() : nl;
        std::size_t len = end - start;
        if (len > 0 && bytes[end - 1] == '\r') --len;
        lines.push_back(cp1252ToUtf8(std::string_view(bytes).substr(start, len)));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return lines;
}

bool writeTextFile(const std::string& path, const std::string& utf8Text, std::string* error) {
    // Through a symbolic link, the file it points to is replaced, not the link.
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    const std::string tmp = target + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            if (error) *error = std::strerror(errno);
            return false;
        }
        const std::string bytes = utf8ToCp1252(utf8Text);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            if (error) *error = "Device I/O error";
            out.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        if (error) *error = std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

}  // namespace k7
