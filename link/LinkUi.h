#pragma once
// What the link needs from the windows. The desktop program implements it with Qt dialogs;
// the command-line tool and the tests implement what they need. Defaults do nothing.
#include <functional>
#include <string>

#include "link/PortNames.h"

namespace k7 {

enum class NoCommChoice { Retry, Exit };

// What the windows show while the sensor restarts.
inline constexpr const char* kRestartingText = "Restarting the sensor ...";

class LinkUi {
public:
    virtual ~LinkUi() = default;

    // The text of the single-sensor ID field: the tag every request is addressed to.
    virtual std::string addressedTagText() = 0;

    virtual void processEvents() {}
    // The same, leaving the user's input (keys, clicks) queued for later.
    virtual void processEventsExceptInput() { processEvents(); }
    // How many event loops the window layer runs right now beyond the main one (modal windows
    // count): the link tells a holder of the line from code that runs inside its events.
    virtual int eventLoopLevel() { return 0; }
    virtual void beep() {}
    // The no-communication window; Retry is offered when the failed read was a status poll or
    // the serial device went away (`deviceGone` says why; empty otherwise). Anything but Retry
    // means the program is to end.
    virtual NoCommChoice showNoCommWindow(bool offerRetry, const std::string& deviceGone) {
        (void)offerRetry;
        (void)deviceGone;
        return NoCommChoice::Exit;
    }
    // Progress window (search, settings read, programming).
    virtual void showProgressWindow(const std::string& caption, bool searching) {
        (void)caption;
        (void)searching;
    }
    virtual void closeProgressWindow() {}
    // A note under the progress bar (a search that found nothing yet); it goes when the
    // progress window shows something else.
    virtual void setProgressNote(const std::string& text) { (void)text; }
    // The progress window's "&Select New Comm Port" was pressed during the search.
    virtual bool newPortRequested() { return false; }
    virtual bool progressVisible() { return false; }
    virtual void setProgressBar(int percent) { (void)percent; }
    // The sensor is restarting after command 119: called with 0 when the restart has gone out,
    // with the part of its wait gone as it goes on, and with 100 when it has ended. The
    // progress window shows it as a step of its own.
    virtual void showRestart(int percent) { (void)percent; }
    // The main window's message line ("Comm verification failed on EEPROM write").
    virtual void showLinkMessage(const std::string& text) { (void)text; }
    // Called on every turn of a wait while the sensitivity change shows its progress; the
    // change sets `thresholdProgress` for its length.
    virtual void updateThresholdProgress() {
        if (thresholdProgress) thresholdProgress();
    }
    std::function<void()> thresholdProgress;
    // The error box for unexpected run-time errors.
    virtual void reportError(const std::string& where, int number, const std::string& description) {
        (void)where;
        (void)number;
        (void)description;
    }
    // Sensor list of the main window, filled by the search.
    virtual void clearSensorList() {}
    virtual void addSensorToList(int tag) { (void)tag; }
    virtual void setAddressedTagText(const std::string& text) { (void)text; }
    // Port selection window: shows `message`, lets the user choose; false = "Exit Program".
    virtual bool choosePort(PortChoice& port, const std::string& message) {
        (void)port;
        (void)message;
        return false;
    }
    // Ends the program: windows closed, port closed, event loop left. The link has already
    // stopped sending when this is called.
    virtual void exitProgram() {}
};

}  // namespace k7
