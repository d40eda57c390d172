#pragma once
// A LinkUi for tests: the addressed tag is a plain string, windows are answered from a script,
// and everything the link asks of the windows is counted.
#include <functional>
#include <string>
#include <vector>

#include "link/LinkUi.h"

namespace k7::test {

class FakeLinkUi : public LinkUi {
public:
    std::string tag = "1";
    // Answers of the no-communication window, in order; Exit when the script runs out.
    std::vector<NoCommChoice> noCommAnswers;
    std::function<void()> onNoComm;  // runs when the window "opens"
    std::function<void()> onProcessEvents;
    std::vector<bool> noCommOfferedRetry;
    std::vector<std::string> noCommDeviceGone;
    int processEventsCalls = 0;
    int exceptInputCalls = 0;   // of processEventsCalls, those that kept the user's input back
    std::vector<int> restarts;  // what showRestart was told
    int beeps = 0;
    int exitCalls = 0;
    bool progressShown = false;
    int progressCloses = 0;
    std::vector<int> progressValues;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::string> progressCaptions;
    std::vector<std::string> progressNotes;
    std::vector<int> listed;  // sensor list
    int listClears = 0;
    bool requestNewPort = false;
    // Port window: answers in order (true = OK with the port below); false when run out.
    std::vector<std::pair<bool, PortChoice>> portAnswers;
    std::vector<std::string> portMessages;

    std::string addressedTagText() override { return tag; }
    void setAddressedTagText(const std::string& t) override { tag = t; }
    void processEvents() override {
        ++processEventsCalls;
        if (onProcessEvents) onProcessEvents();
    }
    void processEventsExceptInput() override {
        ++exceptInputCalls;
        processEvents();
    }
    void showRestart(int percent) override { restarts.push_back(percent); }
    int eventLoopLevel() override { return loopLevel; }
    int loopLevel = 0;
    void beep() override { ++beeps; }
    NoCommChoice showNoCommWindow(bool offerRetry, const std::string& deviceGone) override {
        noCommOfferedRetry.push_back(offerRetry);
        noCommDeviceGone.push_back(deviceGone);
        if (onNoComm) onNoComm();
        const std::size_t i = noCommOfferedRetry.size() - 1;
        return i < noCommAnswers.size() ? noCommAnswers[i] : NoCommChoice::Exit;
    }
    void showProgressWindow(const std::string& caption, bool) override {
        progressShown = true;
        progressCaptions.push_back(caption);
    }
    void closeProgressWindow() override {
        progressShown = false;
        ++progressCloses;
    }
    bool progressVisible() override { return progressShown; }
    void setProgressNote(const std::string& text) override { progressNotes.push_back(text); }
    void setProgressBar(int percent) override { progressValues.push_back(percent); }
    bool newPortRequested() override { return requestNewPort; }
    void showLinkMessage(const std::string& text) override { messages.push_back(text); }
    void reportError(const std::string& where, int, const std::string&) override {
        errors.push_back(where);
    }
    void clearSensorList() override {
        ++listClears;
        listed.clear();
    }
    void addSensorToList(int t) override { listed.push_back(t); }
    bool choosePort(PortChoice& port, const std::string& message) override {
        portMessages.push_back(message);
        const std::size_t i = portMessages.size() - 1;
        if (i >= portAnswers.size() || !portAnswers[i].first) return false;
        port = portAnswers[i].second;
        return true;
    }
    void exitProgram() override { ++exitCalls; }
};

}  // namespace k7::test
