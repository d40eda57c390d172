#include "windows/DisabledWhileBusy.h"

#include <QApplication>
#include <QVariant>

namespace k7 {
namespace {

// Locks of one control may overlap in any order (a long test beside a window's handlers): the
// control counts them, and comes back as it was when the last one ends.
constexpr const char* kLocks = "k7BusyLocks";
constexpr const char* kEnabledBefore = "k7EnabledBeforeBusy";

void lock(QWidget* w) {
    const int locks = w->property(kLocks).toInt();
    if (locks == 0) w->setProperty(kEnabledBefore, !w->testAttribute(Qt::WA_ForceDisabled));
    w->setProperty(kLocks, locks + 1);
    w->setEnabled(false);
}

void unlock(QWidget* w) {
    const int locks = w->property(kLocks).toInt() - 1;
    w->setProperty(kLocks, locks > 0 ? QVariant(locks) : QVariant());
    if (locks <= 0 && w->property(kEnabledBefore).toBool()) w->setEnabled(true);
}

}  // namespace

DisabledWhileBusy::DisabledWhileBusy(const std::vector<QWidget*>& controls)
    : focus_(QApplication::focusWidget()) {
    for (QWidget* w : controls) {
        if (!w) continue;
        lock(w);
        disabled_.emplace_back(w);
    }
}

DisabledWhileBusy DisabledWhileBusy::contentsOf(QWidget* window) {
    std::vector<QWidget*> controls;
    if (window) {
        for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isWindow()) controls.push_back(w);
        }
    }
    return DisabledWhileBusy(controls);
}

DisabledWhileBusy::DisabledWhileBusy(DisabledWhileBusy&& other) noexcept
    : disabled_(std::move(other.disabled_)), focus_(other.focus_) {
    other.disabled_.clear();
}

void DisabledWhileBusy::release() {
    if (disabled_.empty()) return;
    for (const QPointer<QWidget>& w : disabled_) {
        if (w) unlock(w);
    }
    disabled_.clear();
    // The keyboard goes back to where it was, unless it has gone somewhere else meanwhile.
    if (focus_ && focus_->isEnabled() && focus_->isVisible() && !QApplication::focusWidget()) {
        focus_->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace k7
