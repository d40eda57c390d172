#pragma once
// The link's window hooks for the desktop program.
#include <QPointer>

#include "link/LinkUi.h"
#include "link/frmGauge.h"
#include "windows/frmIntro.h"

namespace k7 {

class MainForm;
struct Module2;

class GuiLinkUi final : public LinkUi {
public:
    GuiLinkUi() = default;
    ~GuiLinkUi() override;
    void attach(MainForm* form, Module2* m) {
        form_ = form;
        m_ = m;
    }
    frmGauge* gauge() const { return gauge_; }
    // The introduction picture, while it shows: the progress and port windows keep it clear.
    void setIntro(frmIntro* intro) { intro_ = intro; }

    std::string addressedTagText() override;
    void processEvents() override;
    void beep() override;
    int eventLoopLevel() override;
    NoCommChoice showNoCommWindow(bool offerRetry, const std::string& deviceGone) override;
    void showProgressWindow(const std::string& caption, bool searching) override;
    void closeProgressWindow() override;
    void setProgressNote(const std::string& text) override;
    bool progressVisible() override;
    void setProgressBar(int percent) override;
    bool newPortRequested() override;
    void showLinkMessage(const std::string& text) override;
    void reportError(const std::string& where, int number, const std::string& description) override;
    void clearSensorList() override;
    void addSensorToList(int tag) override;
    void setAddressedTagText(const std::string& text) override;
    bool choosePort(PortChoice& port, const std::string& message) override;
    void exitProgram() override;

private:
    MainForm* form_ = nullptr;
    Module2* m_ = nullptr;
    QPointer<frmGauge> gauge_;
    QPointer<frmIntro> intro_;
};

}  // namespace k7
