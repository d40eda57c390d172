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
// read or is larger than maxBytes.
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      std::string* error = nullptr,
                                                      std::size_t maxBytes = 16u << 20);

// Writes the UTF-8 text, converted to Windows-1252, replacing the file atomically (through a
// symbolic link, the file it points to).
bool writeTextFile(const std::string& path, const std::string& utf8Text,
                   std::string* error = nullptr);

// Each line followed by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

}  // namespace k7
