#pragma once
// Text files use the Windows-1252 code page; the program works in UTF-8 internally.
#include <string>
#include <string_view>

namespace k7 {

// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// control characters of the same number, and go back to those bytes: every byte survives a
// read and a write.
std::string cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form become '?'.
std::string utf8ToCp1252(std::string_view text);

}  // namespace k7
