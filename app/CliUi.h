#pragma once
// The link's window hooks for a terminal: no window ever waits; a sensor that does not answer
// is noted (and the link told to stop) instead of asking the user.
#include <ostream>
#include <string>

#include "link/Link.h"
#include "link/LinkUi.h"

namespace k7 {

class CliUi final : public LinkUi {
public:
    explicit CliUi(std::ostream& err) : err_(err) {}
    std::string tag = "1";
    bool noReply = false;
    bool verifyFailed = false;

    std::string addressedTagText() override { return tag; }
    void setAddressedTagText(const std::string& t) override { tag = t; }
    NoCommChoice showNoCommWindow(bool, const std::string& deviceGone) override {
        noReply = true;
        if (!deviceGone.empty()) err_ << "k7700-cli: " << deviceGone << "\n";
        return NoCommChoice::Exit;
    }
    void showLinkMessage(const std::string& text) override {
        if (text == kVerifyFailedMessage) verifyFailed = true;
    }
    void reportError(const std::string& where, int, const std::string& description) override {
        err_ << "k7700-cli: " << description << " (" << where << ")\n";
    }

private:
    std::ostream& err_;
};

}  // namespace k7
