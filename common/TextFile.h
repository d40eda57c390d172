#pragma once
// Reading and writing the program's text files: Windows-1252 on disk, UTF-8 in memory,
// CR LF line ends written, CR LF or LF accepted. Writes are atomic (temp file + rename) so an
// interrupted save never replaces a good file with half a file.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace k7 {

// Lines of the file without their line ends; nullopt (with *error set) when the file cannot be
// read or is larger than maxBytes ("File too large"), is missing ("File not found") or is no
// regular file (the error names it).
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      std::string* error = nullptr,
                                                      std::size_t maxBytes = 16u << 20);

enum class ReadStatus { Ok, Missing, Unreadable };

struct FirstLines {
    ReadStatus status = ReadStatus::Ok;
    std::vector<std::string> lines;  // without line ends; fewer than asked when the file ends
    int systemError = 0;             // errno when the file could not be read
    std::string error;               // why not, naming the file when it is no regular file
};

// The first `count` lines of a file, for readers that need only its head: whatever follows
// is never read, and a line longer than maxLineBytes is cut there (its rest skipped), so no
// file can make the reader hold more than count * maxLineBytes. Missing: no such file (or a
// link to none); Unreadable: it is there but cannot be read (permissions, a folder, I/O, a
// FIFO or a device).
FirstLines readFirstLines(const std::string& path, std::size_t count,
                          std::size_t maxLineBytes = 64u << 10);

// Writes the UTF-8 text, converted to Windows-1252, replacing the file atomically
// (replaceFileContents): a read-only file, a FIFO or a device is refused and left as it is. On
// failure *error gets the description (naming the file when it was refused) and *systemError
// the errno (0 for a file that is not a regular one).
bool writeTextFile(const std::string& path, const std::string& utf8Text,
                   std::string* error = nullptr, int* systemError = nullptr);

// A CSV field: quoted (quotes doubled) when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text);

// Each line followed by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

}  // namespace k7
