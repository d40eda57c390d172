#include "common/TextFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/Cp1252.h"
#include "common/RegularFile.h"

namespace k7 {

FirstLines readFirstLines(const std::string& path, std::size_t count, std::size_t maxLineBytes) {
    FirstLines r;
    FileRefusal refusal;
    const int fd = openRegularFileToRead(path, &refusal);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(fd >= 0 ? ::fdopen(fd, "rb") : nullptr,
                                                      std::fclose);
    if (!f) {
        if (fd >= 0) {
            refusal = {errno, std::strerror(errno)};
            ::close(fd);
        }
        r.status = refusal.systemError == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        r.systemError = refusal.systemError;
        r.error = refusal.message;
        return r;
    }
    std::string line;
    bool any = false;
    for (int c; r.lines.size() < count && (c = std::getc(f.get())) != EOF;) {
        any = true;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            r.lines.push_back(cp1252ToUtf8(line));
            line.clear();
            any = false;
        } else if (line.size() < maxLineBytes) {
            line += static_cast<char>(c);
        }
    }
    if (std::ferror(f.get())) {
        r.status = ReadStatus::Unreadable;
        r.systemError = errno;
        r.error = std::strerror(errno);
        r.lines.clear();
        return r;
    }
    if (any && r.lines.size() < count) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        r.lines.push_back(cp1252ToUtf8(line));
    }
    return r;
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path, std::string* error,
                                                      std::size_t maxBytes) {
    FileRefusal refusal;
    const int fd = openRegularFileToRead(path, &refusal);
    if (fd < 0) {
        if (error) *error = refusal.systemError == ENOENT ? "File not found" : refusal.message;
        return std::nullopt;
    }
    std::string bytes;
    char buf[8192];
    ssize_t n = 0;
    while ((n = ::read(fd, buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) break;
    }
    const int readError = n < 0 ? errno : 0;
    ::close(fd);
    if (bytes.size() > maxBytes) {
        if (error) *error = "File too large";
        return std::nullopt;
    }
    if (readError != 0) {
        if (error) *error = std::strerror(readError);
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

bool writeTextFile(const std::string& path, const std::string& utf8Text, std::string* error,
                   int* systemError) {
    FileRefusal refusal;
    if (replaceFileContents(path, utf8ToCp1252(utf8Text), &refusal)) return true;
    if (error) *error = refusal.message;
    if (systemError) *systemError = refusal.systemError;
    return false;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
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
