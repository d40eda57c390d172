#pragma once
// The link's window hooks for the desktop program.
#include <QPointer>

#include "link/LinkUi.h"
#include "windows/IntroWindow.h"
#include "windows/ProgressWindow.h"

namespace k7 {

class MainWindow;
struct ProgramState;

class GuiLinkUi final : public LinkUi {
public:
    GuiLinkUi() = default;
    ~GuiLinkUi() override;
    void attach(MainWindow* form, ProgramState* m) {
        form_ = form;
        m_ = m;
    }
    ProgressWindow* gauge() const { return gauge_; }
    // The introduction picture, while it shows: the progress and port windows keep it clear.
    void setIntro(IntroWindow* intro) { intro_ = intro; }

    std::string addressedTagText() override;
    void processEvents() override;
    void processEventsExceptInput() override;
    void beep() override;
    int eventLoopLevel() override;
    NoCommChoice showNoCommWindow(bool offerRetry, const std::string& deviceGone) override;
    void showProgressWindow(const std::string& caption, bool searching) override;
    void closeProgressWindow() override;
    void setProgressNote(const std::string& text) override;
    bool progressVisible() override;
    void setProgressBar(int percent) override;
    bool newPortRequested() override;
    void showRestart(int percent) override;
    void showLinkMessage(const std::string& text) override;
    void reportError(const std::string& where, int number, const std::string& description) override;
    void clearSensorList() override;
    void addSensorToList(int tag) override;
    void setAddressedTagText(const std::string& text) override;
    bool choosePort(PortChoice& port, const std::string& message) override;
    // The port window opened from the menu, with "Cancel": true when a port was chosen (in
    // use from now on, and kept in the INI file).
    bool chooseNewPort();
    void exitProgram() override;

private:
    bool askForPort(PortChoice& port, const std::string& message, bool cancellable);

    MainWindow* form_ = nullptr;
    ProgramState* m_ = nullptr;
    QPointer<ProgressWindow> gauge_;
    QPointer<IntroWindow> intro_;
    // A restart in progress, and what the progress window showed before it.
    bool restarting_ = false;
    bool restartInGauge_ = false;
    QString keptCaption_;
    int keptPercent_ = 0;
};

}  // namespace k7
