#pragma once
// What the service windows share: each is created when opened, sized to fit the screen and
// placed over the main window, fully on screen; the two warnings are yellow with a proceed and
// an abort button.
#include <QDialog>
#include <QPointer>

class QLabel;
class QVBoxLayout;

namespace k7 {

class ServiceWindow : public QDialog {
    Q_OBJECT
public:
    // The window's centre goes to (acrossPercent, downPercent) of the main window.
    explicit ServiceWindow(QWidget* mainWindow, double acrossPercent = 50, double downPercent = 50);
    // Placed over this window instead of the parent (a window opened from another tool).
    void placeOver(QWidget* window) { placeOver_ = window; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    double across_;
    double down_;
    QPointer<QWidget> placeOver_;
    bool fitted_ = false;
};

class WarningWindow : public ServiceWindow {
    Q_OBJECT
public:
    struct Texts {
        const char* windowName;
        const char* messageName;
        const char* message;
        const char* proceedName;
        const char* proceedCaption;
        const char* abortName;
        const char* abortCaption;
    };
    WarningWindow(const Texts& texts, QWidget* mainWindow);
    bool proceedChosen() const { return proceed_; }

protected:
    // A label under the message (the threshold warning's existing threshold).
    QLabel* addLine(const char* name);

private:
    QVBoxLayout* lines_ = nullptr;
    bool proceed_ = false;
};

}  // namespace k7
