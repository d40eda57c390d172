#pragma once
// Controls that must not be used while a sequence runs are disabled for its length (a sequence
// lets window events run while it waits on the line, so they would be live and ignored), and
// given back as they were: a control that was disabled already stays so, locks may overlap, and
// the keyboard goes back where it was.
#include <QPointer>
#include <QWidget>
#include <vector>

namespace k7 {

class DisabledWhileBusy {
public:
    explicit DisabledWhileBusy(const std::vector<QWidget*>& controls);
    // A window's own controls and menus: its direct children that are not windows themselves
    // (the windows it owns, such as a progress window, stay usable).
    static DisabledWhileBusy contentsOf(QWidget* window);
    ~DisabledWhileBusy() { release(); }
    DisabledWhileBusy(DisabledWhileBusy&& other) noexcept;
    DisabledWhileBusy& operator=(DisabledWhileBusy&&) = delete;
    DisabledWhileBusy(const DisabledWhileBusy&) = delete;
    DisabledWhileBusy& operator=(const DisabledWhileBusy&) = delete;

    // Gives the controls back now.
    void release();

private:
    std::vector<QPointer<QWidget>> disabled_;
    QPointer<QWidget> focus_;
};

}  // namespace k7
