#pragma once
// The link's window hooks for a terminal: no window ever waits; a sensor that does not answer
// is noted (and the link told to stop) instead of asking the user. The progress window is the
// terminal's progress line, when there is one.
#include <ostream>
#include <string>

#include "app/TerminalProgress.h"
#include "link/Link.h"
#include "link/LinkUi.h"

namespace k7 {

class CliUi final : public LinkUi {
public:
    explicit CliUi(std::ostream& err) : err_(err) {}
    std::string tag = "1";
    bool noReply = false;
    bool verifyFailed = false;
    TerminalProgress* progress = nullptr;

    std::string addressedTagText() override { return tag; }
    void setAddressedTagText(const std::string& t) override { tag = t; }
    NoCommChoice showNoCommWindow(bool, const std::string& deviceGone) override {
        noReply = true;
        closeProgressWindow();
        if (!deviceGone.empty()) reportLineGone(deviceGone);
        return NoCommChoice::Exit;
    }
    // The serial device went away (an unplugged adapter): said once, in the system's words.
    void reportLineGone(const std::string& why) {
        if (lineGoneReported_) return;
        lineGoneReported_ = true;
        closeProgressWindow();
        err_ << "k7700-cli: the serial device went away: " << why << "\n";
    }
    void showLinkMessage(const std::string& text) override {
        if (text == kVerifyFailedMessage) verifyFailed = true;
    }
    void reportError(const std::string& where, int, const std::string& description) override {
        closeProgressWindow();
        err_ << "k7700-cli: " << description << " (" << where << ")\n";
    }

    void showProgressWindow(const std::string& caption, bool) override {
        caption_ = caption;
        visible_ = progress != nullptr;
        if (visible_) progress->show(caption_);
    }
    void setProgressBar(int percent) override {
        if (visible_) progress->show(caption_, percent);
    }
    bool progressVisible() override { return visible_; }
    void closeProgressWindow() override {
        if (progress) progress->clear();
        visible_ = false;
    }

private:
    std::ostream& err_;
    std::string caption_;
    bool visible_ = false;
    bool lineGoneReported_ = false;
};

}  // namespace k7
