#include "app/TerminalProgress.h"

#include <unistd.h>

#include <ostream>

namespace k7 {

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void TerminalProgress::show(const std::string& text) {
    if (!err_) return;
    std::string line = context_.empty() ? text : text.empty() ? context_ : context_ + ": " + text;
    // A terminal wraps a line wider than itself, and "\r" then returns to the wrong row.
    constexpr std::size_t kWidth = 79;
    if (line.size() > kWidth) line.resize(kWidth);
    const std::size_t width = line.size();
    if (width < shown_) line += std::string(shown_ - width, ' ');
    *err_ << '\r' << line << std::flush;
    shown_ = width;
}

void TerminalProgress::show(const std::string& text, int percent) {
    show(text + " " + std::to_string(percent) + "%");
}

void TerminalProgress::clear() {
    if (!err_ || shown_ == 0) return;
    *err_ << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
    shown_ = 0;
}

}  // namespace k7
