#pragma once
// Text files use the Windows-1252 code page; the program works in UTF-8 internally.
#include <string>
#include <string_view>

namespace k7 {

std::string cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form become '?'.
std::string utf8ToCp1252(std::string_view text);

}  // namespace k7
