#include "common/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/Cp1252.h"

namespace k7 {
namespace {

namespace fs = std::filesystem;

// The file a path finally names: symbolic links followed (relative ones from their folder),
// also when the last one points to a file that does not exist yet.
fs::path followLinks(fs::path p) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

}  // namespace

FirstLines readFirstLines(const std::string& path, std::size_t count, std::size_t maxLineBytes) {
    FirstLines r;
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) {
        r.status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
        r.systemError = errno;
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

bool writeTextFile(const std::string& path, const std::string& utf8Text, std::string* error,
                   int* systemError) {
    auto fail = [&](int err) {
        if (error) *error = std::strerror(err);
        if (systemError) *systemError = err;
        return false;
    };
    const fs::path target = followLinks(path);
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    const bool exists = fs::exists(st);
    if (exists) {
        // Replacing a file by rename would ignore its read-only mark (and, for root, any
        // permission): honour the mark and the permissions as a plain write would.
        const auto writeBits =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if ((st.permissions() & writeBits) == fs::perms::none ||
            ::access(target.c_str(), W_OK) != 0) {
            return fail(EACCES);
        }
    }
    // A name of its own beside the target, so no file of the user's is ever overwritten.
    std::string tmp = target.string() + ".k7save-XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return fail(errno);
    if (!exists) {
        // The permissions a plain new file would get (mkstemp makes it private).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    // The new text reaches the disk before it takes the old file's name, so a save cut short
    // (a full disk, a crash, a power cut) leaves the old file as it was.
    const std::string bytes = utf8ToCp1252(utf8Text);
    int err = 0;
    for (std::size_t done = 0; done < bytes.size() && err == 0;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) err = errno;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && exists) fs::permissions(tmp, st.permissions(), ec);
    if (err == 0 && std::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        std::remove(tmp.c_str());
        return fail(err);
    }
    return true;
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
