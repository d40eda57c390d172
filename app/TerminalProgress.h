#pragma once
// The command-line tool's progress line: one line on standard error, rewritten in place while
// a long operation runs (search, settings read, programming, report, health) and erased when
// it ends. Only on a terminal: a redirected run writes nothing extra.
#include <iosfwd>
#include <string>

namespace k7 {

// Whether standard error is a terminal.
bool stderrIsTerminal();

class TerminalProgress {
public:
    // Silent when `err` is null.
    explicit TerminalProgress(std::ostream* err = nullptr) : err_(err) {}
    ~TerminalProgress() { clear(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool enabled() const { return err_ != nullptr; }
    // What the whole operation is at ("report: tag 3, 2 of 5"); it leads every line.
    void setContext(const std::string& context) { context_ = context; }
    // Shows "<context>: <text>" in place of the line shown before.
    void show(const std::string& text);
    // "<text> NN%".
    void show(const std::string& text, int percent);
    // Erases the line (before normal output or at the end).
    void clear();

private:
    std::ostream* err_;
    std::string context_;
    std::size_t shown_ = 0;  // columns of the line now shown
};

}  // namespace k7
